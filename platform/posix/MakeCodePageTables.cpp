// Writes the single-byte code pages as this build decodes them (glibc's iconv and the Windows
// mappings of CodePage.cpp), one initializer of CBuiltInPage each, for a build whose C library
// lacks them. Built and run on the build machine by the WebAssembly build.
#include "platform/Platform.h"

#include <cstdio>
#include <string>

int main()
{
    // Every page of IconvName that holds one character a byte.
    const unsigned pages[] = {437,   737,   775,   850,   852,   855,   857,   858,   860,
                              861,   862,   863,   864,   865,   866,   869,   874,   1250,
                              1251,  1252,  1253,  1254,  1255,  1256,  1257,  1258,  10000,
                              10007, 20866, 21866, 28591, 28592, 28593, 28594, 28595, 28596,
                              28597, 28598, 28599, 28603, 28605};
    for (unsigned page : pages)
    {
        if (!Platform::SelectThreadCodePage(page))
        {
            std::fprintf(stderr, "this build cannot decode code page %u\n", page);
            return 1;
        }
        std::printf("{%u, {", page);
        for (unsigned byte = 0; byte < 256; ++byte)
        {
            const char in = static_cast<char>(byte);
            std::wstring text;
            Platform::DecodeThreadCodePage(&in, 1, text);
            if (text.size() != 1)
            {
                std::fprintf(stderr, "code page %u: byte %u is not one character\n", page, byte);
                return 1;
            }
            std::printf("%s0x%X", byte ? "," : "", static_cast<unsigned>(text[0]));
        }
        std::printf("}},\n");
    }
    return 0;
}
