#include "app/qt/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "app/qt/conversions.h"

namespace veskar {

namespace {

// The dialog's type list as Qt's name filters: each shows its description,
// and matches its pattern as Windows would (in any case; "*.*" is every file).
QStringList nameFilters(const FileDialogSpec& request)
{
    QStringList filters;
    for (const FileFilter& filter : request.filters) {
        QString patterns = QString::fromUtf8(filter.pattern);
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        else if (patterns.toLower() != patterns)
            patterns += QLatin1Char(' ') + patterns.toLower();
        filters << QString::fromUtf8(filter.description) + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

}  // namespace

MessageAnswer showMessageBox(QWidget* owner, const std::string& text, MessageButtons buttons)
{
    const bool retry = buttons == MessageButtons::RetryCancel;
    QMessageBox box(QMessageBox::Warning, QString(), toQString(text),
                    retry ? QMessageBox::Retry | QMessageBox::Cancel : QMessageBox::Ok, owner);
    box.setDefaultButton(retry ? QMessageBox::Retry : QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return retry ? MessageAnswer::Cancel : MessageAnswer::Ok;
    }
}

bool runFileDialog(QWidget* owner, const FileDialogSpec& request, std::string* path)
{
    const bool open = request.mode == FileDialogSpec::Mode::Open;
    QFileDialog dialog(owner);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The list shows the descriptions alone, which name their patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(nameFilters(request));
    if (request.defaultExtension != nullptr)
        dialog.setDefaultSuffix(QString::fromUtf8(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    *path = pathFromQt(dialog.selectedFiles().constFirst());
    return true;
}

}  // namespace veskar
