// libHalvex exports the host's C ABI by its plain names, as programs in other
// languages bind it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HalvexLibrary, ExportsEveryHostFunctionByName)
{
    void* library = dlopen(HALVEX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const char* names[] = {"hx_init", "hx_initSized", "hx_close", "hx_pause",
                           "hx_resume", "hx_stopAll", "hx_playMusic", "hx_playMusicSized",
                           "hx_stopMusic", "hx_attenMusic", "hx_checkMusic", "hx_playSFX",
                           "hx_playSFXSized", "hx_stopSFX", "hx_getState", "hx_copyState",
                           "hx_getInfo", "hx_logOutput", "hx_closeLog", "hx_getLogState",
                           "hx_resultText"};
    for (const char* name : names)
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    // Nothing of the host's inside is visible.
    EXPECT_EQ(dlsym(library, "_ZN6halvex9hostStateEv"), nullptr);
    using GetInfo = int32_t (*)(uint32_t*, uint32_t*, uint32_t*, uint32_t*, uint32_t*);
    GetInfo getInfo = reinterpret_cast<GetInfo>(dlsym(library, "hx_getInfo"));
    ASSERT_NE(getInfo, nullptr);
    uint32_t channels = 0;
    EXPECT_EQ(getInfo(&channels, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(channels, 16u);
    using Close = void (*)();
    reinterpret_cast<Close>(dlsym(library, "hx_close"))();
    dlclose(library);
}

}  // namespace
