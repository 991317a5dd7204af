// The host leaves its program's signals alone: a program that keeps the
// default actions of SIGINT and SIGTERM still dies of them while the host
// runs on SDL (whose audio would otherwise turn them into events).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "fake_host.h"

namespace hosttest {
namespace {

void writeImage(const std::string& path, const Image& image)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
}

class HostSignals : public ::testing::TestWithParam<int> {};

TEST_P(HostSignals, EndAProgramThatKeepsTheDefaultActions)
{
    std::string base = ::testing::TempDir() + "halvex_signals_" + std::to_string(getpid());
    writeImage(base + ".smp", samplePack());
    writeImage(base + ".ins", instrumentPack());
    // exec: the status is the probe's own, not a shell's.
    std::string command = "SDL_AUDIODRIVER=dummy exec '" SIGNAL_PROBE_PATH "' '" + base + ".smp' '" +
                          base + ".ins' " + std::to_string(GetParam());
    int status = std::system(command.c_str());
    std::remove((base + ".smp").c_str());
    std::remove((base + ".ins").c_str());
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam())
        << "wait status " << status << " (exit " << WEXITSTATUS(status) << ")";
}

INSTANTIATE_TEST_SUITE_P(DefaultActions, HostSignals, ::testing::Values(SIGINT, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGINT ? "SIGINT" : "SIGTERM");
                         });

}  // namespace
}  // namespace hosttest
