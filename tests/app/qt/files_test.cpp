// Packages from outside the menus: dropped on the window, rebuilt on disk
// while loaded, and named on Veskar's command line.
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "app/core/command_line.h"
#include "qt_test_support.h"

namespace qttest {
namespace {

class FilesTest : public FrontEndTest {
protected:
    // Replaces `name` as bscomp does: a new file renamed over it.
    void rebuild(const std::string& name, const std::string& from)
    {
        std::filesystem::copy_file(from, scratch(".new"), std::filesystem::copy_options::overwrite_existing);
        std::filesystem::rename(scratch(".new"), scratch(name));
    }
};

TEST_F(FilesTest, DroppedFilesOpenAsIfNamed)
{
    start();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(toQString(copyOfDemo("demo.ins"))),
                  QUrl::fromLocalFile(toQString(copyOfDemo("demo.smp")))});
    QDragEnterEvent enter(QPoint(100, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPoint(100, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window(), &drop);
    EXPECT_TRUE(waitFor([&] { return application().bridge().running(); }));
}

TEST_F(FilesTest, RebuiltPackagesAreReloadedAndMusicStartsAgain)
{
    start();
    openDemo();
    press(Qt::Key_Space);
    const HostBridge& bridge = application().bridge();
    // Twice: the first replacement ends the watch on the file itself.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(waitFor([&] { return snapshot().blocksRendered > 150; }));
        rebuild("demo.smp", demoFile("demo.smp"));
        EXPECT_TRUE(waitFor([&] { return snapshot().blocksRendered < 100 && bridge.musicPlaying(); })) << round;
    }
    // A track that turns invalid is unloaded and said so once; valid again, it loads.
    modals.answer(ModalScript::click(QMessageBox::Ok));
    rebuild("song.mus", demoFile("demo.ins"));
    EXPECT_TRUE(waitFor([&] { return !bridge.musicLoaded(); }));
    rebuild("song.mus", demoFile("demo.ins"));
    QTest::qWait(300);
    rebuild("song.mus", demoFile("song.mus"));
    EXPECT_TRUE(waitFor([&] { return bridge.musicLoaded(); }));
    ASSERT_EQ(modals.seen.size(), 1u);
    EXPECT_EQ(modals.seen[0].text, toQString(scratch("song.mus") + stringText(IDS_INVALID_MUSIC)));
}

TEST(VeskarCommandLine, HelpAndMistakesNeedNoWindow)
{
    const struct {
        QStringList arguments;
        int status;
        QString out, error;
    } cases[] = {
        {{"--help"}, 0, kUsageText, ""},
        {{"song.mus", "notes.txt"}, 2, "", QString("Veskar: notes.txt") + stringText(IDS_NOT_A_PACKAGE) + "\n"},
        // Qt's own options are Qt's.
        {{"-platform", "offscreen", "a.smp", "b.SMP"}, 2, "", QString("Veskar: b.SMP") + stringText(IDS_SECOND_PACKAGE) + "\n"},
    };
    for (const auto& test : cases) {
        QProcess veskar;
        veskar.start(VESKAR_PATH, test.arguments);
        ASSERT_TRUE(veskar.waitForFinished(20000));
        EXPECT_EQ(veskar.exitCode(), test.status) << test.arguments.join(' ').toStdString();
        EXPECT_EQ(QString(veskar.readAllStandardOutput()), test.out);
        EXPECT_EQ(QString(veskar.readAllStandardError()), test.error);
    }
}

// Without any window system Qt would abort: a mistake is still reported as one, and a start
// says why no window opens.
TEST(VeskarCommandLine, WithoutADisplayNothingAborts)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    const struct {
        QStringList arguments;
        int status;
        QString error;
    } cases[] = {
        {{"-x"}, 2, QString::fromStdString(veskar::parseCommandLine({"-x"}).output)},
        {{"song.mus"}, 1, "Veskar: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n"},
    };
    for (const auto& test : cases) {
        QProcess veskar;
        veskar.setProcessEnvironment(environment);
        veskar.start(VESKAR_PATH, test.arguments);
        ASSERT_TRUE(veskar.waitForFinished(20000));
        EXPECT_EQ(veskar.exitStatus(), QProcess::NormalExit) << test.arguments.join(' ').toStdString();
        EXPECT_EQ(veskar.exitCode(), test.status) << test.arguments.join(' ').toStdString();
        EXPECT_EQ(QString(veskar.readAllStandardError()), test.error);
    }
}

}  // namespace
}  // namespace qttest
