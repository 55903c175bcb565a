// Point number -> point code, as POINTS sections give them and later sections look them up. A
// job lists hundreds of thousands of points, so the table is kept compact: numbers are packed,
// held in their entries when short and in shared blocks of bytes when not, each code is held
// once however many points share it, and lookups go through an open-addressing hash of small
// slots. Numbers compare as exact wide strings. Decimal numbers hash to themselves, so that a
// job numbered in order walks the table in order; should numbers crowd the slots (a long walk
// for one look-up), the table hashes every number from then on.
#pragma once

#include "parser/BlockArray.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CPointTable
{
public:
    CPointTable();
    ~CPointTable();
    CPointTable(const CPointTable&) = delete;
    CPointTable& operator=(const CPointTable&) = delete;

    // Keeps code for number unless the number already has one: the first code given stays.
    // Returns false when it was already there.
    bool Add(std::wstring_view number, std::wstring_view code);
    // The code kept for number, or null when the number is not in the table. Valid as long as
    // the table.
    const std::wstring* FindCode(std::wstring_view number) const;

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }

    // Calls visit(number, code) for every entry, in the order they were added.
    template <class Visit> void ForEach(Visit visit) const
    {
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            visit(Unpack(m_entries[i]), m_codes[m_entries[i].code]);
    }

private:
    struct CEntry
    {
        // The packed number: up to kHeldBytes held here, in their order in memory and zeros past
        // them, so that most numbers need no block and compare as a word; a longer number is in
        // a block of m_blocks, and this is its address.
        std::uint64_t number;
        std::uint32_t size; // bytes of the packed number
        std::uint32_t code; // index into m_codes
    };
    static constexpr std::size_t kHeldBytes = sizeof(std::uint64_t);
    struct CSlot
    {
        std::uint32_t entry; // index + 1 into m_entries; 0 is an empty slot
        std::uint32_t hash;
    };

    // Packs number into m_packed: each character as a base-128 varint, so that equal numbers
    // give equal bytes and most characters take one byte. The view is valid until the next Pack.
    // Gives the number's hash too.
    std::string_view Pack(std::wstring_view number, std::uint32_t& hash) const;
    static std::wstring Unpack(const CEntry& entry);
    std::uint32_t SpreadHash(const char* packed, std::size_t size) const;
    // The slot that holds the packed number, or the empty slot where it belongs; hash is the
    // number's, from Pack. Spreads the table first when the numbers crowd, and hash with it.
    std::size_t Locate(std::string_view packed, std::uint32_t& hash) const;
    // The same with a hash already known, counting the slots walked past in probes.
    std::size_t FindSlot(std::string_view packed, std::uint32_t hash, std::size_t& probes) const;
    // Hashes every number with SpreadHash from now on. The entries and their order stay: only
    // where they are looked up changes, so a look-up may do it.
    void Spread() const;
    static const unsigned char* Bytes(const CEntry& entry);
    // The first kHeldBytes of Pack's scratch, which packed is a view of: a short number as its
    // entry holds it.
    static std::uint64_t HeldWord(std::string_view packed);
    // What an entry holds of packed: the number itself, or the address of its bytes in a block.
    std::uint64_t Keep(std::string_view packed);
    const unsigned char* Store(std::string_view packed);
    // A code of up to seven characters below 256, nearly every code, is one word: its length in
    // the low byte and a character a byte above it, so that no two codes share a word. Any
    // other code is kLongCode, which no short code is, and is compared as a string.
    static std::uint64_t CodeKey(std::wstring_view code);
    std::uint32_t InternCode(std::wstring_view code);
    std::uint32_t RememberCode(std::uint64_t key, std::uint32_t index);
    std::uint32_t CodeHash(std::uint64_t key, std::wstring_view code) const;
    void GrowCodeSlots();
    void Grow();

    // Blocks of 32 entries, 512 bytes each, as small as a std::deque's, so that the heap serves
    // them as it served the deque (with 16 KB blocks a file imported after another grew its
    // process by 20 MB more, the heap having given the first file's blocks back).
    CBlockArray<CEntry, 5> m_entries;
    mutable std::vector<CSlot> m_slots;
    mutable bool m_spread = false;
    std::uint32_t m_seed;
    std::vector<std::unique_ptr<unsigned char[]>> m_blocks;
    std::size_t m_blockUsed = 0;
    std::size_t m_blockSize = 0;
    // Blocks, so that each code stays where it is and the index can look at it in place.
    CBlockArray<std::wstring, 6> m_codes;
    static constexpr std::uint64_t kLongCode = 0xFF;
    struct CCodeSlot
    {
        std::uint64_t key;
        std::uint32_t index; // index + 1 into m_codes; 0 is an empty slot
    };
    // Open addressing over the codes. A job has few codes, each looked up for every point, so the
    // look-up is a hash of a word and a compare of words or two.
    std::vector<CCodeSlot> m_codeSlots;
    std::uint64_t m_lastCodeKey = kLongCode;
    std::uint32_t m_lastCode = 0;
    // Scratch for the packed form of the number at hand, kept to spare an allocation a lookup.
    mutable std::string m_packed;
};
