// Drives lines through a whole parser and checks, once the parser is gone, that every converter
// reference came back.
#pragma once

#include "tests/doubles/ParserHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ReaderTests
{

class CReaderFixture : public TestDoubles::CParserHarness
{
public:
    CReaderFixture() { receiver.Clear(); }

    // A new parser over the same receiver and factory, for tests that first make the factory
    // refuse a converter.
    void Restart()
    {
        parser.reset();
        parser = std::make_unique<CParser>(&receiver);
        receiver.Clear();
    }

    // The records the receiver got, without the parser's requests for the converter factory.
    std::vector<std::string> Records() const
    {
        std::vector<std::string> records;
        for (const std::string& record : receiver.Records())
            if (record != "GetConverterFactory")
                records.push_back(record);
        return records;
    }

    void ExpectReferencesReturned()
    {
        Finish();
        EXPECT_EQ(factory.OutstandingReferences(), 0);
        EXPECT_FALSE(factory.OverReleased());
    }
};

class ReaderTest : public ::testing::Test, public CReaderFixture
{
protected:
    void TearDown() override { ExpectReferencesReturned(); }
};

template <class TParam>
class ReaderTestWithParam : public ::testing::TestWithParam<TParam>, public CReaderFixture
{
protected:
    void TearDown() override { ExpectReferencesReturned(); }
};

// The lines of one section inside its parent: parent, head, rows, END of both.
inline std::vector<std::wstring> Section(const std::wstring& parent, const std::wstring& head,
                                         const std::vector<std::wstring>& rows)
{
    std::vector<std::wstring> lines{parent, head};
    lines.insert(lines.end(), rows.begin(), rows.end());
    const std::wstring name = head.substr(0, head.find(L'('));
    lines.push_back(L"END " + name);
    lines.push_back(L"END " + parent);
    return lines;
}

} // namespace ReaderTests
