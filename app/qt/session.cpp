#include "app/qt/session.h"

namespace veskar {

Session::Session(const EngineInfo& info) : window_(std::make_unique<MainWindow>(info))
{
    window_->show();
    application_ = std::make_unique<Application>(*window_, nullptr, info);
    window_->attach(application_.get());
    window_->startRefresh();
}

Session::~Session()
{
    window_.reset();
    application_.reset();
}

}  // namespace veskar
