#include "qt_test_support.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>

namespace qttest {

std::string demoFile(const std::string& name)
{
    return std::string(DEMO_DIR) + "/" + name;
}

ModalScript::ModalScript()
{
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start(10);
}

void ModalScript::poll()
{
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr || !window->isVisible())
        return;
    Modal modal;
    modal.className = window->metaObject()->className();
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        modal.text = box->text();
        modal.buttons = box->standardButtons();
        modal.icon = box->icon();
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(window)) {
        modal.filters = dialog->nameFilters();
        modal.suffix = dialog->defaultSuffix();
        modal.mode = dialog->acceptMode();
    }
    seen.push_back(modal);
    if (answers_.empty()) {
        ++unexpected;
        window->close();
        return;
    }
    const Answer answer = std::move(answers_.front());
    answers_.pop_front();
    answer(window);
}

ModalScript::Answer ModalScript::choose(const std::string& path)
{
    return [path](QWidget* window) {
        auto* dialog = qobject_cast<QFileDialog*>(window);
        dialog->selectFile(pathToQt(path));
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog's checks the choice
    };
}

ModalScript::Answer ModalScript::click(QMessageBox::StandardButton button)
{
    return [button](QWidget* window) { qobject_cast<QMessageBox*>(window)->button(button)->click(); };
}

ModalScript::Answer ModalScript::cancel()
{
    return [](QWidget* window) { window->close(); };
}

void FrontEndTest::SetUp()
{
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(std::filesystem::exists(demoFile("song.mus"))) << "the demo_build test makes the demo";
}

void FrontEndTest::TearDown()
{
    session.reset();
    EXPECT_EQ(modals.unexpected, 0) << "modal windows that the test did not expect";
}

void FrontEndTest::start()
{
    deviceFile = scratch("device.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", deviceFile.c_str(), 1);
    unsetenv("SDL_DISKAUDIODELAY");  // paced as a sound card would be
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
    files[Package::Samples] = copyOfDemo("demo.smp");
    files[Package::Instruments] = copyOfDemo("demo.ins");
    files[Package::Music] = copyOfDemo("song.mus");
    files[Package::Effect] = copyOfDemo("explosion.sfx");
    window().openPackages(files);
}

HostSnapshot FrontEndTest::snapshot() const
{
    HostSnapshot state;
    HostBridge::copyState(&state);
    return state;
}

void FrontEndTest::press(QKeyCombination key)
{
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(&window(), key.key(), key.keyboardModifiers());
}

bool FrontEndTest::waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 5000);
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
