#include "app/qt/main_window.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

#include "app/qt/about_box.h"
#include "app/qt/client_area.h"
#include "app/qt/conversions.h"
#include "app/qt/dialogs.h"
#include "app/qt/icons.h"

namespace veskar {

namespace {

QList<QKeySequence> shortcutsOf(int command)
{
    QList<QKeySequence> keys;
    for (const Accelerator& accelerator : accelerators())
        if (accelerator.command == command)
            keys << QKeySequence(QKeyCombination(accelerator.control ? Qt::ControlModifier : Qt::NoModifier,
                                                 static_cast<Qt::Key>(accelerator.key)));
    return keys;
}

const TrackbarSetup& setupOf(int control)
{
    const auto setups = trackbarSetups();
    return *std::find_if(setups.begin(), setups.end(), [&](const TrackbarSetup& setup) { return setup.id == control; });
}

}  // namespace

MainWindow::MainWindow(const EngineInfo& info)
    : client_(new ClientArea(this)),
      watcher_([this](const std::string& path) { enter([&] { application_->onFileChanged(path); }); })
{
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    setWindowIcon(veskarIcon(IDI_MAIN));
    // The window's size counts the menu bar in, so it stays in the window.
    menuBar()->setNativeMenuBar(false);
    setCentralWidget(client_);
    buildMenus();
    buildControls(info.channels);
    setFixedSize(kWindowWidth, windowHeight(info.channels));
    setAcceptDrops(true);
    refresh_.setInterval(static_cast<int>(kRefreshMilliseconds));
    connect(&refresh_, &QTimer::timeout, this, [this] { application_->onTimer(); });
}

MainWindow::~MainWindow() = default;

template <typename Entry>
void MainWindow::enter(Entry entry)
{
    entry();
    watcher_.watch(application_->watchedFiles());
}

void MainWindow::buildMenus()
{
    for (const MenuPopupResource& popup : mainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.text));
        menu->menuAction()->setEnabled(popup.enabled);
        menus_[popup.popup] = menu;
        std::vector<QAction*>& items = items_[popup.popup];
        for (const MenuItem& item : popup.items) {
            if (item.separator()) {
                items.push_back(menu->addSeparator());
                continue;
            }
            // The text shows its own key after the tab, so Qt adds none.
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            action->setEnabled(item.enabled);
            action->setShortcuts(shortcutsOf(item.command));
            connect(action, &QAction::triggered, this,
                    [this, command = item.command] { enter([&] { application_->onCommand(command); }); });
            items.push_back(action);
        }
    }
}

void MainWindow::buildControls(uint32_t channels)
{
    for (const ChildControl& control : childControls(channels)) {
        QWidget* widget = nullptr;
        switch (control.kind) {
        case ControlKind::Frame: {
            QFrame* frame = new QFrame(client_);
            frame->setFrameStyle(QFrame::Box | QFrame::Sunken);  // etched
            // Only the border is the frame's, so that what the views draw
            // inside does not repaint it.
            const QRect area = toQRect(control.rect);
            const QRegion border = QRegion(area) - QRegion(area.adjusted(2, 2, -2, -2));
            frame->setMask(border.translated(-area.topLeft()));
            controls_ += border;
            widget = frame;
            break;
        }
        case ControlKind::Caption: {
            QLabel* caption = new QLabel(QString::fromUtf8(control.creationText), client_);
            caption->setTextFormat(Qt::PlainText);
            caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = caption;
            break;
        }
        case ControlKind::Trackbar: {
            QSlider* slider = new QSlider(Qt::Horizontal, client_);
            const TrackbarSetup& setup = setupOf(control.id);
            slider->setRange(setup.minimum, setup.maximum);
            slider->setPageStep(setup.pageSize);
            slider->setTickInterval(setup.tickFrequency);
            slider->setTickPosition(QSlider::TicksBelow);
            slider->setValue(setup.initial);
            // Every move by the user, and its end, as the trackbar's scroll notifications.
            const auto scrolled = [this] { enter([&] { application_->onHScroll(); }); };
            connect(slider, &QSlider::actionTriggered, this, scrolled);
            connect(slider, &QSlider::sliderReleased, this, scrolled);
            trackbars_[control.id] = slider;
            controls_ += toQRect(control.rect);
            widget = slider;
            break;
        }
        case ControlKind::IconButton: {
            QPushButton* button = new QPushButton(client_);
            button->setIcon(veskarIcon(control.initialIcon));
            button->setIconSize(QSize(16, 16));
            connect(button, &QPushButton::clicked, this,
                    [this, command = control.id] { enter([&] { application_->onCommand(command); }); });
            buttons_[control.id] = button;
            controls_ += toQRect(control.rect);
            widget = button;
            break;
        }
        }
        widget->setObjectName(QString::fromUtf8(control.creationText));
        widget->setGeometry(toQRect(control.rect));
    }
}

void MainWindow::attach(Application* application)
{
    application_ = application;
    client_->setApplication(application);
    application->controlPanel().setWavePalette(client_->wavePalette());
}

void MainWindow::startRefresh()
{
    refresh_.start();
}

void MainWindow::openPackages(const PackageFiles& files)
{
    enter([&] { application_->openPackages(files); });
}

void MainWindow::setMenuItemEnabled(MenuPopup popup, int position, bool enabled)
{
    menuItem(popup, position)->setEnabled(enabled);
}

void MainWindow::setPlaybackMenuEnabled(bool enabled)
{
    menu(MenuPopup::Playback)->menuAction()->setEnabled(enabled);
}

void MainWindow::redrawMenuBar()
{
    menuBar()->update();
}

MessageAnswer MainWindow::showMessage(const std::string& text, MessageButtons buttons)
{
    return showMessageBox(this, text, buttons);
}

bool MainWindow::runFileDialog(const FileDialogSpec& dialog, std::string* path)
{
    return veskar::runFileDialog(this, dialog, path);
}

int MainWindow::trackbarPosition(int control)
{
    return trackbar(control)->sliderPosition();
}

void MainWindow::setTrackbarPosition(int control, int position)
{
    trackbar(control)->setValue(position);
}

void MainWindow::setButtonIcon(int control, int icon)
{
    button(control)->setIcon(veskarIcon(icon));
}

void MainWindow::invalidate(const Rect& area)
{
    // Painted by updateNow, or else as soon as the window thread is free.
    if (invalid_.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { client_->update(takeInvalid()); }, Qt::QueuedConnection);
    invalid_ += toQRect(area);
}

void MainWindow::updateNow()
{
    client_->refresh(takeInvalid());
}

QRegion MainWindow::takeInvalid()
{
    // The views draw nothing under the child controls: these keep their
    // pixels, as on a window system whose invalidation of the parent leaves
    // its children alone.
    const QRegion region = invalid_ - controls_;
    invalid_ = QRegion();
    return region;
}

void MainWindow::postClose()
{
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::showAbout()
{
    showAboutBox(this);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths.push_back(pathFromQt(url.toLocalFile()));
    event->acceptProposedAction();
    // Opened once the drop is over, so that a message box does not hold up
    // the program the files came from.
    QMetaObject::invokeMethod(
        this, [this, paths] { enter([&] { application_->openDropped(paths); }); }, Qt::QueuedConnection);
}

}  // namespace veskar
