#include "app/win32/dialogs.h"

#include <commdlg.h>

#include <vector>

#include "app/win32/text.h"

namespace veskar {

namespace {

// The path buffers hold 2048 characters.
constexpr size_t kPathCharacters = 2048;

// Description and pattern pairs, each ending in a zero, the list in a second one.
std::wstring filterList(const FileDialogSpec& dialog)
{
    std::wstring list;
    for (const FileFilter& filter : dialog.filters) {
        list += toWide(filter.description) + L'\0';
        list += toWide(filter.pattern) + L'\0';
    }
    return list + L'\0';
}

INT_PTR CALLBACK aboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

bool runFileDialog(HWND owner, const FileDialogSpec& dialog, std::string* path)
{
    const std::wstring filters = filterList(dialog);
    const std::wstring extension = dialog.defaultExtension != nullptr ? toWide(dialog.defaultExtension) : L"";
    std::vector<wchar_t> buffer(kPathCharacters, L'\0');

    OPENFILENAMEW record = {};
    // The record of the classic dialogs, without the places bar.
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    record.hwndOwner = owner;
    record.lpstrFilter = filters.c_str();
    record.nFilterIndex = 0;
    record.lpstrFile = buffer.data();
    record.nMaxFile = static_cast<DWORD>(buffer.size());
    BOOL chosen;
    if (dialog.mode == FileDialogSpec::Mode::Open) {
        record.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
        chosen = GetOpenFileNameW(&record);
    } else {
        record.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
        record.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
        chosen = GetSaveFileNameW(&record);
    }
    if (!chosen)
        return false;
    *path = fromWide(buffer.data());
    return true;
}

MessageAnswer showMessageBox(HWND owner, const std::string& text, MessageButtons buttons)
{
    const bool retry = buttons == MessageButtons::RetryCancel;
    const int answer =
        MessageBoxW(owner, toWide(text).c_str(), nullptr, MB_ICONWARNING | (retry ? MB_RETRYCANCEL : MB_OK));
    if (!retry)
        return MessageAnswer::Ok;
    return answer == IDRETRY ? MessageAnswer::Retry : MessageAnswer::Cancel;
}

void showAboutBox(HINSTANCE instance, HWND owner)
{
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, aboutProcedure, 0);
}

}  // namespace veskar
