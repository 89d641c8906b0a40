// Music files: the check that lets a file through to the MIDI player. It decides on the first
// bytes alone, which is all the file version reads.
#include <algorithm>

#include "files/midi_check.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const bool accepted = files::LooksLikeMidi(data, size);
    FUZZ_CHECK(accepted == files::LooksLikeMidi(data, std::min(size, files::kMidiCheckBytes)));
    FUZZ_CHECK(!accepted || (size >= 18 && data[0] == 'M' && data[1] == 'T'));
    return 0;
}
