#include "qt_test_support.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace qttest {

std::string demoFile(const std::string& name)
{
    return std::string(DEMO_DIR) + "/" + name;
}

ModalScript::ModalScript()
{
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr || !window->isVisible())
            return;
        Modal& modal = seen.emplace_back();
        if (auto* box = qobject_cast<QMessageBox*>(window))
            std::tie(modal.text, modal.buttons, modal.icon) = std::tuple(box->text(), box->standardButtons(), box->icon());
        if (auto* dialog = qobject_cast<QFileDialog*>(window))
            std::tie(modal.filters, modal.suffix, modal.mode) =
                std::tuple(dialog->nameFilters(), dialog->defaultSuffix(), dialog->acceptMode());
        if (answers_.empty()) {
            ++unexpected;
            window->close();
            return;
        }
        const Answer answer = std::move(answers_.front());
        answers_.pop_front();
        answer(window);
    });
    timer_.start(10);
}

ModalScript::Answer ModalScript::choose(const std::string& path)
{
    return [path](QWidget* window) {
        qobject_cast<QFileDialog*>(window)->selectFile(pathToQt(path));
        static_cast<QDialog*>(window)->accept();  // QFileDialog's checks the choice
    };
}

ModalScript::Answer ModalScript::click(QMessageBox::StandardButton button)
{
    return [button](QWidget* window) { qobject_cast<QMessageBox*>(window)->button(button)->click(); };
}

void FrontEndTest::TearDown()
{
    session.reset();
    EXPECT_EQ(modals.unexpected, 0) << "modal windows that the test did not expect";
}

void FrontEndTest::start()
{
    ASSERT_TRUE(std::filesystem::exists(demoFile("song.mus"))) << "the demo_build test makes the demo";
    deviceFile = scratch("device.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", deviceFile.c_str(), 1);
    unsetenv("SDL_DISKAUDIODELAY");
    EngineInfo info;
    ASSERT_TRUE(HostBridge::readEngineInfo(&info));
    session = std::make_unique<Session>(info);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
}

std::string FrontEndTest::scratch(const std::string& name) const
{
    return pathFromQt(folder.filePath(toQString(name)));
}

std::string FrontEndTest::copyOfDemo(const std::string& name) const
{
    std::filesystem::copy_file(demoFile(name), scratch(name), std::filesystem::copy_options::overwrite_existing);
    return scratch(name);
}

void FrontEndTest::openDemo()
{
    PackageFiles files;
    files.paths = {copyOfDemo("demo.smp"), copyOfDemo("demo.ins"), copyOfDemo("song.mus"),
                   copyOfDemo("explosion.sfx")};
    window().openPackages(files);
}

void FrontEndTest::press(QKeyCombination key)
{
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &window(), key.key(), key.keyboardModifiers());
}

bool FrontEndTest::waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 5000);
}

HostSnapshot FrontEndTest::snapshot()
{
    HostSnapshot state;
    HostBridge::copyState(&state);
    return state;
}

}  // namespace qttest

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests, as the build does, needs no window system.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
