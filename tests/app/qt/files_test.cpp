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
    void drop(const std::vector<std::string>& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls << QUrl::fromLocalFile(pathToQt(path));
        data.setUrls(urls);
        const QPoint at(100, 300);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window(), &dropped);
        QTest::qWait(50);  // the files open once the drop is over
    }
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
    drop({copyOfDemo("demo.ins"), copyOfDemo("demo.smp")});
    EXPECT_TRUE(application().bridge().running());

    modals.answer(ModalScript::click(QMessageBox::Ok));
    drop({copyOfDemo("song.mus"), copyOfDemo("samples.txt")});
    ASSERT_EQ(modals.seen.size(), 1u);
    EXPECT_EQ(modals.seen[0].text, toQString(scratch("samples.txt") + stringText(IDS_NOT_A_PACKAGE)));
    EXPECT_FALSE(application().bridge().musicLoaded());
}

TEST_F(FilesTest, RebuiltPackagesAreReloadedAndMusicStartsAgain)
{
    start();
    openDemo();
    press(Qt::Key_Space);
    auto restarted = [&] {
        return snapshot().blocksRendered < 100 && application().bridge().running() &&
               application().bridge().musicPlaying();
    };
    // Twice: the first replacement ends the watch on the file itself.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(waitFor([&] { return snapshot().blocksRendered > 150; }));
        rebuild("demo.smp", demoFile("demo.smp"));
        EXPECT_TRUE(waitFor(restarted)) << "round " << round;
    }

    // A track that turns invalid is unloaded and said so once; once valid
    // again it loads.
    modals.answer(ModalScript::click(QMessageBox::Ok));
    rebuild("song.mus", demoFile("demo.ins"));
    EXPECT_TRUE(waitFor([&] { return !application().bridge().musicLoaded(); }));
    rebuild("song.mus", demoFile("demo.ins"));
    QTest::qWait(300);
    rebuild("song.mus", demoFile("song.mus"));
    EXPECT_TRUE(waitFor([&] { return application().bridge().musicLoaded(); }));
    ASSERT_EQ(modals.seen.size(), 1u);
    EXPECT_EQ(modals.seen[0].text, toQString(scratch("song.mus") + stringText(IDS_INVALID_MUSIC)));
}

TEST(VeskarCommandLine, HelpAndMistakesNeedNoWindow)
{
    struct Case {
        QStringList arguments;
        int status;
        QString out;
        QString error;
    };
    const Case cases[] = {
        {{"--help"}, 0, kUsageText, ""},
        {{"song.mus", "notes.txt"}, 2, "", "Veskar: notes.txt" + QString(stringText(IDS_NOT_A_PACKAGE)) + "\n"},
        {{"-platform", "offscreen", "a.smp", "b.SMP"}, 2, "",
         "Veskar: b.SMP" + QString(stringText(IDS_SECOND_PACKAGE)) + "\n"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.arguments.join(' ').toStdString());
        QProcess veskar;
        veskar.start(VESKAR_PATH, test.arguments);
        ASSERT_TRUE(veskar.waitForFinished(20000));
        EXPECT_EQ(veskar.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(veskar.exitCode(), test.status);
        EXPECT_EQ(QString(veskar.readAllStandardOutput()), test.out);
        EXPECT_EQ(QString(veskar.readAllStandardError()), test.error);
    }
}

}  // namespace
}  // namespace qttest
