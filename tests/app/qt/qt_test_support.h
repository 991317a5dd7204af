// Veskar's Qt front end under test: the whole program in this process on the
// offscreen platform, over the real host on SDL's disk driver, with a script
// that answers its modal dialogs and message boxes.
#pragma once

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "app/qt/conversions.h"
#include "app/qt/session.h"

namespace qttest {

using namespace veskar;

// A file of the demo, as the tools' demo_build test made it.
std::string demoFile(const std::string& name);

// What a modal window showed: a message box's text, buttons and icon, a
// file dialog's filters, default suffix and mode.
struct Modal {
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList filters;
    QString suffix;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
};

// Answers modal windows as they open, in order; one with no answer left is
// closed and counted as unexpected.
class ModalScript {
public:
    using Answer = std::function<void(QWidget*)>;
    ModalScript();
    void answer(Answer answer) { answers_.push_back(std::move(answer)); }
    static Answer choose(const std::string& path);  // a file dialog accepts `path`
    static Answer click(QMessageBox::StandardButton button);

    std::vector<Modal> seen;
    int unexpected = 0;

private:
    QTimer timer_;
    std::deque<Answer> answers_;
};

class FrontEndTest : public ::testing::Test {
protected:
    void TearDown() override;
    // Opens the window as Veskar starts, on SDL's disk driver (paced as a
    // sound card) writing `deviceFile`.
    void start();
    std::string scratch(const std::string& name) const;
    std::string copyOfDemo(const std::string& name) const;  // into the scratch folder
    // The demo's packages (copies) as if named on the command line.
    void openDemo();
    void press(QKeyCombination key);                       // to the control with the focus
    bool waitFor(const std::function<bool()>& condition);  // up to 5 s

    MainWindow& window() { return session->window(); }
    Application& application() { return session->application(); }
    static HostSnapshot snapshot();

    QTemporaryDir folder;
    std::string deviceFile;
    ModalScript modals;
    std::unique_ptr<Session> session;
};

}  // namespace qttest
