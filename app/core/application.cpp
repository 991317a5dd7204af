#include "app/core/application.h"

#include <algorithm>

#include "app/core/command_line.h"

namespace veskar {

Application::Application(WindowSystem& window, void* hostWindow, const EngineInfo& info,
                         HostBridge::StartFunction start)
    : window_(window),
      bridge_(hostWindow, start),
      commands_(window, bridge_),
      controls_(window, bridge_, info),
      channels_(window, info.channels)
{
}

Application::~Application()
{
    shutdown();
}

// Runs one entry point's work; file changes that came in meanwhile (from a
// modal loop inside it) are handled after the outermost one.
template <typename Work>
void Application::run(Work work)
{
    ++depth_;
    work();
    --depth_;
    while (depth_ == 0 && !changedFiles_.empty()) {
        const std::string path = changedFiles_.front();
        changedFiles_.erase(changedFiles_.begin());
        ++depth_;
        commands_.reloadFile(path);
        controls_.updateButtons();
        --depth_;
    }
}

void Application::onCommand(int command)
{
    run([&] {
        commands_.onCommand(command);
        controls_.onCommand(command);
    });
}

void Application::onHScroll()
{
    run([&] { controls_.onHScroll(); });
}

void Application::onTimer()
{
    if (!bridge_.running())
        return;
    controls_.invalidate();
    channels_.invalidate();
    window_.updateNow();
}

const Painting& Application::paint()
{
    HostBridge::copyState(&snapshot_);
    painting_.cells.clear();
    controls_.paint(snapshot_, &painting_);
    channels_.paint(snapshot_, &painting_);
    return painting_;
}

void Application::openPackages(const PackageFiles& files)
{
    run([&] {
        commands_.openPackages(files);
        controls_.updateButtons();
    });
}

void Application::openDropped(const std::vector<std::string>& paths)
{
    PackageFiles files;
    FileListProblem problem;
    if (!sortPackageFiles(paths, &files, &problem)) {
        run([&] { window_.showMessage(problem.message(), MessageButtons::Ok); });
        return;
    }
    openPackages(files);
}

void Application::onFileChanged(const std::string& path)
{
    if (std::find(changedFiles_.begin(), changedFiles_.end(), path) == changedFiles_.end())
        changedFiles_.push_back(path);
    run([] {});
}

}  // namespace veskar
