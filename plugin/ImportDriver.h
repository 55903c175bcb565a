// The body of the reader's entries: reads each file from its byte source and feeds its lines one
// by one to a parser made for that file, telling the receiver which file and line are being
// worked on and how far the work has come.
#pragma once

#include "parser/LineCapacity.h"
#include "platform/Platform.h"
#include "plugin/HostInterfaces.h"
#include "plugin/Messages.h"
#include "plugin/ReaderCore.h"
#include "plugin/UnicodeText.h"
#include "resources/MessageIds.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#if defined(__GNUC__)
#define ORVA_NOINLINE __attribute__((noinline))
#else
#define ORVA_NOINLINE __declspec(noinline)
#endif

// A failure of one line: the driver reports the message of the id for the current line and goes
// on with the next line. Thrown by value, caught by reference.
class CParseException
{
public:
    explicit CParseException(std::int32_t messageId) : m_messageId(messageId) {}

    std::int32_t GetMessageId() const { return m_messageId; }

private:
    std::int32_t m_messageId;
};

namespace Driver
{

// The lines of one file, read in blocks from its byte source and decoded one at a time as they
// are walked, so that a file costs a block and its longest line in memory rather than its size.
// The lines are counted in a first pass over the source, as progress needs their number; a source
// that cannot be read twice (a pipe) is held whole instead. As in a text-mode read on Windows, the
// file ends at its first Ctrl-Z. A file that starts with a byte-order mark is UTF-8 or UTF-16
// without its mark; any other is in the calling thread's code page.
class CFileLines
{
public:
    // Counts the lines of the source, which is borrowed until the walk ends; the walk starts at
    // the first line. False when the source could not be read to its end, or rewound.
    bool Read(IByteSource& source);

    // Lines end at each LF; a last line without LF counts, a final LF starts no empty line. A
    // file that grows after it was counted is walked to its counted lines only.
    std::size_t Count() const { return m_count; }

    // What a caller that trims every line anyway allows the reader to leave out.
    enum class Indent
    {
        Keep,
        // Blanks and tabs at a line's start are not decoded where the encoding lets them be
        // told from the bytes (UTF-8 and most code pages); elsewhere they stay.
        MayDrop,
    };

    // Decodes the next line into text: the characters before its LF, without a CR right before
    // the LF, up to the first NUL. False after the last, or when reading failed (see Failed).
    bool DecodeNext(std::wstring& text, Indent indent = Indent::Keep);
    // The bytes that DecodeNext would decode for the next line, valid until the next call; false
    // as DecodeNext.
    bool NextText(const char*& bytes, std::size_t& size, Indent indent = Indent::Keep);
    // Decodes bytes that NextText gave.
    void Decode(const char* bytes, std::size_t size, std::wstring& text) const;
    // True when a byte below 0x80 stands for the ASCII character of its number wherever it is
    // in the file: UTF-8, and a code page that keeps ASCII.
    bool KeepsAscii() const { return m_asciiIsBytes; }
    // True when the source could not be read again after it was counted.
    bool Failed() const { return m_failed; }

private:
    // Starts reading from the file's first byte: the byte-order mark is taken off again.
    bool Start();
    // Counts the lines from the window's start to the end of the source, as NextLine walks them.
    // False when reading failed.
    bool CountLines();
    // The bytes of the next line, without its LF and a CR before it, valid until the next call.
    bool NextLine(const char*& line, std::size_t& size);
    // Reads more of the file into the window and checks it; false when no more comes or reading
    // failed.
    bool Fill();
    // Reads more bytes into the window, unchecked.
    bool ReadMore();
    // Ends the bytes at the first Ctrl-Z among those not yet checked, and finds the next NUL
    // among them when none is known. The count checks the bytes of a one-byte file itself, and
    // a file it found clean has nothing to look for.
    void CheckForControlZ();
    // Looks for the first NUL unit from the window's start among the checked bytes.
    void FindNextNul();
    // Bytes of one character unit: 2 for UTF-16, 1 otherwise.
    std::size_t UnitSize() const { return m_unitSize; }
    // The offset of the first unit at or after from that equals unit, or end.
    std::size_t Find(std::size_t from, std::size_t end, unsigned int unit) const;
    // The same for either of two bytes, in a file of one-byte units.
    std::size_t FindEither(std::size_t from, std::size_t end, char first, char second) const;
    bool IsUnit(std::size_t offset, unsigned int unit) const;

    IByteSource* m_source = nullptr;
    TextEncoding m_encoding = TextEncoding::ThreadCodePage;
    std::size_t m_unitSize = 1;
    // The window: bytes [m_begin, m_end) of m_buffer are read and not yet walked; those before
    // m_checked are checked for Ctrl-Z and hold whole units (unit-aligned from m_begin).
    std::string m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_checked = 0;
    std::size_t m_end = 0;
    // Where the search for the next LF goes on, so that a long line is searched once.
    std::size_t m_searched = 0;
    // The first NUL unit at or after m_begin among the checked bytes, or kNoNul: a line is cut
    // at its first NUL, and searching the window once spares a search of every line.
    static constexpr std::size_t kNoNul = std::numeric_limits<std::size_t>::max();
    std::size_t m_nextNul = kNoNul;
    // The first byte after the mark: where a pipe held whole is walked again from.
    std::size_t m_textStart = 0;
    bool m_atEnd = false;
    bool m_holdWhole = false;
    // False while the lines are counted, which needs no NUL.
    bool m_walking = false;
    // The count found neither a NUL nor a Ctrl-Z in a file of one-byte units, and the walk looks
    // for neither again, even in a file that changes between the count and the walk.
    bool m_clean = false;
    // True when a blank or tab byte at a line's start is that character.
    bool m_indentIsBytes = false;
    bool m_asciiIsBytes = false;
    bool m_failed = false;
    std::size_t m_count = 0;
};

// Passes the text of id to the receiver's ReportFileError.
void ReportFileMessage(IGroundDataReceiver* receiver, std::int32_t id) noexcept;

// The lines [first, end) of the file, as ImportSourceWith describes them; false once the file
// could not be read further. A file's lines go through this call a run at a time, not in one loop:
// a WebAssembly engine without on-stack replacement (V8, in node and in browsers) goes on running
// a call in the quick first-tier code it was entered with, and a loop over the whole file, with
// the row scanner inlined in it, would never reach its optimised code (a third of the time there).
constexpr std::size_t kLinesPerRun = 4096;

template <class Parser>
ORVA_NOINLINE bool ImportLineRun(CFileLines& lines, Parser& parser, IGroundDataReceiver* receiver,
                                 std::wstring& line, std::size_t first, std::size_t end)
{
    // The progress is a share of the counted lines; the conversions go through signed integers,
    // which x86-64 converts in one instruction and which hold any count of lines exactly as well.
    const auto total = static_cast<float>(static_cast<std::int64_t>(lines.Count()));
    // A file of more lines than an int counts has its last ones announced as the last index.
    const std::size_t lastIndex = std::numeric_limits<std::int32_t>::max();
    const bool asciiRows = lines.KeepsAscii();
    for (std::size_t i = first; i < end; ++i)
    {
        receiver->SetCurrentLine(static_cast<std::int32_t>(i < lastIndex ? i : lastIndex));
        try
        {
            const char* bytes = nullptr;
            std::size_t size = 0;
            if (!lines.NextText(bytes, size, CFileLines::Indent::MayDrop))
            {
                // Read and counted once, the file could not be read again: what was imported
                // stays, and the host learns that the rest is missing.
                if (lines.Failed())
                    ReportFileMessage(receiver, MessageId::CannotOpenFile);
                return false;
            }
            // Most lines are rows of ASCII, which are cut without being decoded first.
            if (!asciiRows || !parser.ProcessAsciiRow(bytes, size, i))
            {
                lines.Decode(bytes, size, line);
                parser.ProcessLine(line, i);
            }
        }
        catch (const CParseException& failure)
        {
            ReportMessage(receiver, failure.GetMessageId());
        }
        catch (...)
        {
            // A bad escape in a row, a line too long for the memory left: the line is lost, the
            // file is not.
            ReportMessage(receiver, MessageId::CannotParseLine);
        }
        // A buffer grown by an oversized line goes back to the heap.
        if (line.capacity() > kKeptLineCapacity)
            std::wstring().swap(line);
        // 64-bit products: a file may have more lines than 100 * (i + 1) fits in 32 bits.
        const auto done = static_cast<std::int64_t>(100) * static_cast<std::int64_t>(i + 1);
        receiver->SetProgress(static_cast<float>(done) / total);
    }
    return true;
}

// The steps of one file with any parser that is made from the receiver and the observer, takes
// lines with ProcessLine, is told FinishFile after the last and answers IsFormatRecognised, as
// CParser does, and may take a line as ASCII bytes first through ProcessAsciiRow, as CParser
// does. Receiver calls, in order: BeginFile(shownPath); for a source that is null or
// cannot be read, message 101 and nothing else; otherwise the parser's construction (where it asks
// for the converter factory), then per line SetCurrentLine, whatever the parser sends,
// SetProgress; then SetProgress(100) and, when no known section was opened, SetCurrentLine(-1)
// and message 106. A line that fails is reported for that line (a CParseException with its own
// message, anything else with 107) and the next line goes on.
template <class Parser>
void ImportSourceWith(const std::wstring& shownPath, IByteSource* source,
                      IGroundDataReceiver* receiver, IReadObserver* observer) noexcept
{
    receiver->BeginFile(shownPath.c_str());
    try
    {
        CFileLines lines;
        if (!source || !lines.Read(*source))
        {
            ReportFileMessage(receiver, MessageId::CannotOpenFile);
            return;
        }

        Parser parser(receiver, observer);
        const std::size_t count = lines.Count();
        const auto runEnd = [count](std::size_t first)
        { return count - first > kLinesPerRun ? first + kLinesPerRun : count; };
        std::wstring line;
        // The first run is called on its own so that the run has two callers: Binaryen, the
        // WebAssembly build's optimiser, folds a function that has one into its caller whatever
        // its size, and the whole walk would be one call again.
        std::size_t first = 0;
        bool readOn = ImportLineRun(lines, parser, receiver, line, first, runEnd(first));
        while (readOn && (first = runEnd(first)) < count)
            readOn = ImportLineRun(lines, parser, receiver, line, first, runEnd(first));
        receiver->SetProgress(100.0f);
        parser.FinishFile();

        if (!parser.IsFormatRecognised())
        {
            receiver->SetCurrentLine(-1);
            ReportFileMessage(receiver, MessageId::UnknownFormat);
        }
    }
    catch (...)
    {
        // Only memory can run out here, making the parser: the file is not imported.
        ReportFileMessage(receiver, MessageId::CannotOpenFile);
    }
}

// The same for the file at path, read through the platform layer; an empty path, or one that
// does not open, is a file that cannot be opened.
template <class Parser>
void ImportFileWith(const std::wstring& path, IGroundDataReceiver* receiver,
                    IReadObserver* observer = nullptr) noexcept
{
    Platform::CInputFile file;
    const bool opened = !path.empty() && file.Open(path.c_str()) == Platform::ReadStatus::Read;
    ImportSourceWith<Parser>(path, opened ? &file : nullptr, receiver, observer);
}

} // namespace Driver
