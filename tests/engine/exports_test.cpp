// libBrimsel exports the engine's C ABI by its plain names, as programs in other languages bind
// it, and nothing of its inside.
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

TEST(BrimselLibrary, ExportsEveryEngineFunctionByName)
{
    void* library = dlopen(BRIMSEL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const char* names[] = {"bs_init", "bs_initSized", "bs_update", "bs_playMusic",
                           "bs_playMusicSized", "bs_stopMusic", "bs_attenMusic", "bs_checkMusic",
                           "bs_playSFX", "bs_playSFXSized", "bs_stopSFX", "bs_pause",
                           "bs_resume", "bs_stopAll", "bs_reset", "bs_getState",
                           "bs_getInfo"};
    for (const char* name : names)
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    EXPECT_EQ(dlsym(library, "_ZN7brimsel8runMacroEi"), nullptr);
    dlclose(library);
}

}  // namespace
