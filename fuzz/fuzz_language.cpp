// Language files: the bytes read into the table of texts. Every text fits its room with its
// function-key suffix intact, and reading the same file again changes nothing.
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "settings/language.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LanguageTexts texts;
    texts.ReadLanguageText(bytes);
    LanguageTexts again = texts;
    again.ReadLanguageText(bytes);
    for (int i = 0; i < kTextCount; ++i) {
        const auto id = static_cast<TextId>(i);
        const std::string& text = texts.Text(id);
        FUZZ_CHECK(text.size() <= TextRoom(id));
        FUZZ_CHECK(text.empty() || text.ends_with(TextSuffix(id)));
        FUZZ_CHECK(again.Text(id) == text);
    }
    return 0;
}
