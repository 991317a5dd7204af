// The main window and the Application over it, made and unmade in Veskar's
// order: the window (shown), then the application's objects, then the
// refresh timer; at the end the window goes first, then the application
// stops and closes the host and frees the packages.
#pragma once

#include <memory>

#include "app/core/application.h"
#include "app/qt/main_window.h"

namespace veskar {

class Session {
public:
    explicit Session(const EngineInfo& info);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    MainWindow& window() { return *window_; }
    Application& application() { return *application_; }

private:
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<Application> application_;
};

}  // namespace veskar
