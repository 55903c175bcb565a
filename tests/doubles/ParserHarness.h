// A parser wired to a recording receiver and a counting converter factory, fed line by line.
#pragma once

#include "parser/Parser.h"
#include "tests/doubles/ConverterDoubles.h"
#include "tests/doubles/RecordingReceiver.h"

#include <memory>
#include <string>
#include <vector>

namespace TestDoubles
{

struct CParserHarness
{
    CCountingConverterFactory factory;
    CRecordingReceiver receiver{&factory};
    std::unique_ptr<CParser> parser = std::make_unique<CParser>(&receiver);

    // Lines are numbered on from those fed before.
    void Feed(const std::vector<std::wstring>& lines)
    {
        for (std::wstring line : lines)
            parser->ProcessLine(line, nextLine++);
    }

    std::size_t nextLine = 0;

    // Destroys the parser, after which every converter reference must have been given back.
    void Finish() { parser.reset(); }
};

} // namespace TestDoubles
