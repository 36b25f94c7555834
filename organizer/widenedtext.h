#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "organizer/chineseconverter.h"

// Unicode tag text that is really 8-bit text widened one byte to one character: a tagger that
// took GBK or Big5 bytes for ISO-8859-1 and wrote them out as UTF-16 (°®ÄãÒ»ÍòÄê for
// 爱你一万年). Such text holds only the characters U+0000-U+00FF, at least one of them from
// U+0080 up.

// The bytes the widened text `text` (code page 936 in its GB18030 form) was made of; nothing
// when it holds a character beyond U+00FF or none beyond U+007F.
std::optional<std::string> NarrowWidenedText(std::string_view text);

// The bytes of Unicode text that is plainly widened Chinese: narrowed as above, they are no
// Latin text (a real "räksmörgås" in UTF-16 is) and they are, or convert from Big5 to, pure
// GB2312. Nothing for any other text.
std::optional<std::string> WidenedChineseBytes(std::string_view text,
                                               const ChineseConverter& converter);
