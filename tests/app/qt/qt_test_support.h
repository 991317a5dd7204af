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

// What a modal window showed when it was answered.
struct Modal {
    QString className;
    QString text;                       // a message box's
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList filters;                // a file dialog's
    QString suffix;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
};

// Answers modal windows as they open, in order.  A modal window with no
// answer left is closed and counted as unexpected.
class ModalScript {
public:
    using Answer = std::function<void(QWidget*)>;

    ModalScript();
    void answer(Answer answer) { answers_.push_back(std::move(answer)); }

    static Answer choose(const std::string& path);  // a file dialog accepts `path`
    static Answer click(QMessageBox::StandardButton button);
    static Answer cancel();

    std::vector<Modal> seen;
    int unexpected = 0;

private:
    void poll();

    QTimer timer_;
    std::deque<Answer> answers_;
};

class FrontEndTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window, as Veskar starts, on SDL's disk driver writing `deviceFile`.
    void start();
    // A path in this test's folder, and a copy of a demo file there.
    std::string scratch(const std::string& name) const;
    std::string copyOfDemo(const std::string& name) const;
    // The demo's packages, as if named on the command line (copies, so that tests may change them).
    void openDemo();

    MainWindow& window() { return session->window(); }
    Application& application() { return session->application(); }
    HostSnapshot snapshot() const;
    // A key pressed in the main window.
    void press(QKeyCombination key);
    // Waits, handling events, up to 5 s for `condition`.
    bool waitFor(const std::function<bool()>& condition);

    QTemporaryDir folder;
    std::string deviceFile;
    ModalScript modals;
    std::unique_ptr<Session> session;
};

}  // namespace qttest
