// The main window: layout, menus and controls; the commands' keys, dialogs
// and menu states; playback from keys, buttons and trackbars; message boxes;
// the refresh.
#include <QBackingStore>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include "app/qt/client_area.h"
#include "app/qt/icons.h"
#include "qt_test_support.h"

namespace qttest {
namespace {

QImage iconImage(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage();
}

class MainWindowTest : public FrontEndTest {
protected:
    // The commands whose menu items are enabled.
    std::set<int> enabledCommands()
    {
        std::set<int> commands;
        for (const MenuPopupResource& popup : mainMenu())
            for (size_t i = 0; i < popup.items.size(); ++i)
                if (window().menuItem(popup.popup, static_cast<int>(i))->isEnabled())
                    commands.insert(popup.items[i].command);
        commands.erase(0);  // separators
        return commands;
    }
    // Whether a channel plays the effect (no track of the demo has priority 127).
    static bool effectPlays()
    {
        const HostSnapshot state = snapshot();
        return std::any_of(std::begin(state.channels), std::end(state.channels),
                           [](const MacroChannel& channel) { return channel.priority == 127; });
    }
};

TEST_F(MainWindowTest, ShowsTheWindowMenusAndControlsFromTheResources)
{
    start();
    EXPECT_EQ(window().windowTitle(), "Veskar");
    EXPECT_EQ(window().size(), QSize(512, 501));
    EXPECT_EQ(window().minimumSize(), window().maximumSize());

    const QList<QAction*> bar = window().menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    for (const MenuPopupResource& popup : mainMenu()) {
        QMenu* menu = window().menu(popup.popup);
        EXPECT_EQ(bar[static_cast<int>(popup.popup)], menu->menuAction());
        EXPECT_EQ(menu->title(), popup.text);
        EXPECT_EQ(menu->menuAction()->isEnabled(), popup.enabled) << popup.text;
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(popup.items.size()));
        for (size_t i = 0; i < popup.items.size(); ++i) {
            EXPECT_EQ(actions[i]->isSeparator(), popup.items[i].separator());
            EXPECT_EQ(actions[i]->text(), popup.items[i].separator() ? "" : popup.items[i].text);
            EXPECT_EQ(actions[i]->isEnabled(), popup.items[i].enabled) << actions[i]->text().toStdString();
        }
    }
    EXPECT_EQ(window().menuItem(MenuPopup::File, 6)->text(), "&Log Ouput (*.WAV)\tCtrl+S");

    for (const ChildControl& control : childControls(16)) {
        QWidget* widget = window().clientArea()->findChild<QWidget*>(control.creationText);
        ASSERT_NE(widget, nullptr) << control.creationText;
        EXPECT_EQ(widget->geometry(), toQRect(control.rect)) << control.creationText;
        EXPECT_TRUE(widget->isVisible());
        if (control.kind == ControlKind::Caption)
            EXPECT_EQ(qobject_cast<QLabel*>(widget)->text(), control.creationText);
        if (control.kind == ControlKind::IconButton)
            EXPECT_EQ(iconImage(qobject_cast<QPushButton*>(widget)->icon()), iconImage(veskarIcon(control.initialIcon)));
    }
    for (const TrackbarSetup& setup : trackbarSetups()) {
        QSlider* slider = window().trackbar(setup.id);
        EXPECT_EQ((std::vector<int>{slider->minimum(), slider->maximum(), slider->pageStep(), slider->tickInterval(),
                                    slider->value(), slider->orientation(), slider->tickPosition()}),
                  (std::vector<int>{setup.minimum, setup.maximum, setup.pageSize, setup.tickFrequency, setup.initial,
                                    Qt::Horizontal, QSlider::TicksBelow}));
    }
}

TEST_F(MainWindowTest, KeysOpenTheDialogsAndTheMenusFollow)
{
    start();
    std::set<int> enabled = {ID_FILE_OPENSAMPLES, ID_FILE_OPENINSTRUMENTS, ID_FILE_EXIT, ID_PLAYBACK_PAUSE,
                             ID_PLAYBACK_RESUME, ID_PLAYBACK_STOPALL, ID_HELP_ABOUT};
    struct Step {
        QKeyCombination key;
        std::string answer;  // the file chosen in the dialog; none when empty
        std::set<int> enables, greys;
    };
    const Step steps[] = {
        {Qt::CTRL | Qt::Key_O, "", {}, {}},  // greyed: no dialog
        {Qt::CTRL | Qt::Key_P, copyOfDemo("demo.smp"), {}, {}},
        {Qt::CTRL | Qt::Key_I, copyOfDemo("demo.ins"), {ID_FILE_OPENMUSIC, ID_FILE_OPENSFX, ID_FILE_LOGOUTPUT}, {}},
        {Qt::CTRL | Qt::Key_O, copyOfDemo("song.mus"), {ID_PLAYBACK_PLAYMUSIC, ID_PLAYBACK_STOPMUSIC}, {}},
        {Qt::CTRL | Qt::Key_E, copyOfDemo("explosion.sfx"), {ID_PLAYBACK_PLAYSFX, ID_PLAYBACK_STOPSFX}, {}},
        {Qt::CTRL | Qt::Key_S, scratch("session"), {ID_FILE_STOPLOGGING}, {ID_FILE_LOGOUTPUT}},
        {Qt::CTRL | Qt::Key_T, "", {ID_FILE_LOGOUTPUT}, {ID_FILE_STOPLOGGING}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(QKeySequence(step.key).toString().toStdString());
        if (!step.answer.empty())
            modals.answer(ModalScript::choose(step.answer));
        press(step.key);
        QTest::qWait(50);  // the log gets a few blocks
        enabled.insert(step.enables.begin(), step.enables.end());
        for (int command : step.greys)
            enabled.erase(command);
        EXPECT_EQ(enabledCommands(), enabled);
        EXPECT_EQ(window().menu(MenuPopup::Playback)->menuAction()->isEnabled(), application().bridge().running());
    }
    ASSERT_EQ(modals.seen.size(), 5u);
    EXPECT_EQ(modals.seen[0].filters, QStringList({"Sample Pack (*.smp) (*.SMP *.smp)", "All Files (*.*) (*)"}));
    EXPECT_EQ(modals.seen[4].filters, QStringList({"Sounds (*.wav) (*.WAV *.wav)", "All Files (*.*) (*)"}));
    EXPECT_EQ(modals.seen[4].mode, QFileDialog::AcceptSave);
    EXPECT_EQ(modals.seen[4].suffix, "wav");
    EXPECT_GT(std::filesystem::file_size(scratch("session.wav")), 44u);
    // The effect's buttons turned black with the effect loaded and the host running.
    EXPECT_EQ(iconImage(window().button(IDC_SFX_PLAY)->icon()), iconImage(veskarIcon(IDI_PLAY)));
    EXPECT_EQ(iconImage(window().button(IDC_SFX_STOP)->icon()), iconImage(veskarIcon(IDI_STOP)));
}

TEST_F(MainWindowTest, KeysButtonsAndTrackbarsPlay)
{
    start();
    QSlider* volume = window().trackbar(IDC_VOLUME_TRACKBAR);
    QTest::keyClick(volume, Qt::Key_PageDown);
    EXPECT_EQ(volume->value(), 127);  // snapped back: the host does not run
    openDemo();
    const HostBridge& bridge = application().bridge();
    // The keys work whichever control has the focus.
    window().button(IDC_SFX_PLAY)->setFocus();
    const std::pair<QKeyCombination, std::function<bool()>> keys[] = {
        {Qt::Key_Space, [&] { return bridge.musicPlaying(); }},
        {Qt::Key_X, [] { return effectPlays(); }},
        {Qt::CTRL | Qt::Key_X, [] { return !effectPlays(); }},
        {Qt::CTRL | Qt::Key_Space, [&] { return !bridge.musicPlaying(); }},
        {Qt::Key_Space, [&] { return bridge.musicPlaying(); }},
        {Qt::CTRL | Qt::Key_K, [&] { return !bridge.musicPlaying(); }},
    };
    for (const auto& [key, done] : keys) {
        press(key);
        EXPECT_TRUE(waitFor(done)) << QKeySequence(key).toString().toStdString();
    }
    QTest::mouseClick(window().button(IDC_SFX_PLAY), Qt::LeftButton);
    EXPECT_TRUE(waitFor(effectPlays));
    // A new priority stops the effect that plays.
    QTest::keyClick(window().trackbar(IDC_SFX_PRIORITY), Qt::Key_Home);
    EXPECT_EQ(application().controlPanel().storedPriority(), 1);
    EXPECT_TRUE(waitFor([] { return !effectPlays(); }));
    QTest::keyClick(volume, Qt::Key_PageDown);
    EXPECT_EQ(application().controlPanel().storedVolume(), 111);
    QTest::keyClick(window().trackbar(IDC_SFX_PANNING), Qt::Key_End);
    EXPECT_EQ(application().controlPanel().leftLevel(), 0);
}

TEST_F(MainWindowTest, MessageBoxesShowTheStringTable)
{
    start();
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    modals.answer(ModalScript::click(QMessageBox::Retry));
    modals.answer(ModalScript::click(QMessageBox::Cancel));
    openDemo();
    ASSERT_EQ(modals.seen.size(), 2u);
    for (const Modal& modal : modals.seen) {
        EXPECT_EQ(modal.text, stringText(IDS_INIT_FAILED));
        EXPECT_EQ(modal.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        EXPECT_EQ(modal.icon, QMessageBox::Warning);
    }
    EXPECT_FALSE(application().bridge().running());
    // With a device, a click on Play starts the host (every command ends so).
    setenv("SDL_AUDIODRIVER", "disk", 1);
    QTest::mouseClick(window().button(IDC_SFX_PLAY), Qt::LeftButton);
    EXPECT_TRUE(application().bridge().running());

    modals.answer(ModalScript::click(QMessageBox::Ok));
    PackageFiles files;
    files[Package::Samples] = scratch("song.smp");
    std::filesystem::copy_file(demoFile("song.mus"), files[Package::Samples]);
    window().openPackages(files);
    ASSERT_EQ(modals.seen.size(), 3u);
    EXPECT_EQ(modals.seen[2].text, toQString(files[Package::Samples] + stringText(IDS_INVALID_SAMPLES)));
    EXPECT_EQ(modals.seen[2].buttons, QMessageBox::Ok);
}

TEST_F(MainWindowTest, RefreshRepaintsTheLiveAreasAsAWholePaintWould)
{
    start();
    openDemo();
    press(Qt::Key_Space);
    QTest::qWait(300);
    ClientArea* client = window().clientArea();
    struct : QObject {
        std::vector<QRegion> paints;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                paints.push_back(static_cast<QPaintEvent*>(event)->region());
            return false;
        }
    } recorder;
    client->installEventFilter(&recorder);
    application().onTimer();
    client->removeEventFilter(&recorder);
    // The live areas, but for what the child controls show over them.
    const Rect areas[] = {{16, 20, 304, 93}, {16, 148, 176, 164}, {200, 116, 488, 162}, {328, 20, 488, 88}, {16, 190, 488, 15 * 16 + 210}};
    QRegion live;
    for (const Rect& area : areas)
        live += toQRect(area);
    for (QWidget* control : client->findChildren<QWidget*>())
        live -= control->mask().isEmpty() ? QRegion(control->geometry()) : control->mask().translated(control->pos());
    ASSERT_EQ(recorder.paints.size(), 1u);
    EXPECT_EQ(recorder.paints[0], live);

    // Every channel stopped (their rows now read shorter) and the host closed
    // so that its state holds still: the next refresh leaves in the live
    // areas on the screen what a whole paint draws there, and the wave view
    // is the core's image pixel for pixel.
    application().bridge().stopAll();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    application().bridge().shutdown();
    for (const Rect& area : areas)
        window().invalidate(area);
    window().updateNow();
    const QImage whole = client->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shown = dynamic_cast<QImage*>(window().backingStore()->paintDevice())
                             ->copy(QRect(client->mapTo(&window(), QPoint()), client->size()))
                             .convertToFormat(QImage::Format_RGB32);
    for (const QRect& rect : live)
        EXPECT_EQ(shown.copy(rect), whole.copy(rect)) << "in the live area at " << rect.x() << "," << rect.y();
    WaveImage wave;
    drawWave(snapshot().ring, HX_RING_VALUES, client->wavePalette(), &wave);
    const QImage expected(reinterpret_cast<const uchar*>(wave.data()), WaveImage::kWidth, WaveImage::kHeight,
                          QImage::Format_RGB32);
    EXPECT_EQ(whole.copy(kWaveLeft, kWaveTop, WaveImage::kWidth, WaveImage::kHeight), expected);
}

}  // namespace
}  // namespace qttest
