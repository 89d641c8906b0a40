// Configuration files of the 2D and the 3D editions: the bytes read over the defaults, then the
// file the game would write for those settings must read back to exactly the same settings.
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "settings/settings.h"

namespace {

void RoundTrip(std::string_view bytes, Edition edition, ViewSettingsHooks& hooks) {
    const ScreenMetrics screen;
    Settings settings;
    SetDefaultSettings(settings, screen, hooks);
    ReadConfigText(bytes, settings, edition, screen, hooks);
    const std::string written = FormatSettings(settings, edition, screen, hooks);
    Settings readBack;
    SetDefaultSettings(readBack, screen, hooks);
    ReadConfigText(written, readBack, edition, screen, hooks);
    FUZZ_CHECK(readBack == settings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ViewSettingsHooks hooks2D;
    RoundTrip(bytes, Edition::TwoD, hooks2D);
    View3DSettingsHooks hooks3D;
    RoundTrip(bytes, Edition::GL, hooks3D);
    return 0;
}
