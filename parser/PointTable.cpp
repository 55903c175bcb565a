#include "parser/PointTable.h"

#include "platform/OpenAddressing.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace
{

constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::size_t kFirstSlots = 64;
// The table grows when more than this share of its slots is taken, in eighths.
constexpr std::size_t kMaxLoadEighths = 5;
// A look-up that walks past this many slots finds the numbers crowded.
constexpr std::size_t kLongProbe = 48;

// Differs from table to table and from run to run, so that no list of numbers made in advance
// crowds every table.
std::uint32_t NewSeed(const void* table)
{
    const auto ticks =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(table));
    const std::uint64_t mixed = (ticks ^ (address << 7)) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::uint32_t>(mixed >> 32);
}

// FNV-1a over the units from a start of the table's own, then the finaliser of MurmurHash3 to mix
// the low bits that pick the slot.
template <class Unit>
std::uint32_t SeededHash(std::uint32_t seed, const Unit* units, std::size_t size)
{
    std::uint32_t hash = 2166136261u ^ seed;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ static_cast<std::uint32_t>(units[i])) * 16777619u;
    hash ^= hash >> 16;
    hash *= 0x85EBCA6Bu;
    hash ^= hash >> 13;
    hash *= 0xC2B2AE35u;
    hash ^= hash >> 16;
    return hash;
}

} // namespace

CPointTable::CPointTable() : m_seed(NewSeed(this)) {}
CPointTable::~CPointTable() = default;

bool CPointTable::Add(std::wstring_view number, std::wstring_view code)
{
    std::uint32_t hash = 0;
    const std::string_view packed = Pack(number, hash);
    // The empty slot where the number belongs, unless the table grows first.
    std::size_t at = 0;
    if (!m_slots.empty())
    {
        at = Locate(packed, hash);
        if (m_slots[at].entry != 0)
            return false;
    }
    const std::size_t count = m_entries.size();
    if ((count + 1) * 8 > m_slots.size() * kMaxLoadEighths)
    {
        Grow();
        std::size_t probes = 0;
        at = FindSlot(packed, hash, probes);
    }
    if (count >= UINT32_MAX - 1 || packed.size() > UINT32_MAX)
        throw std::length_error("point table full");
    const std::uint32_t codeIndex = InternCode(code);
    const std::uint64_t held = Keep(packed);
    // Field by field into the new entry: an entry made on the stack first is copied with one
    // wide load of its narrower stores, which the processor cannot forward and waits for.
    CEntry& entry = m_entries.emplace_back();
    entry.number = held;
    entry.size = static_cast<std::uint32_t>(packed.size());
    entry.code = codeIndex;
    m_slots[at] = CSlot{static_cast<std::uint32_t>(count + 1), hash};
    return true;
}

const std::wstring* CPointTable::FindCode(std::wstring_view number) const
{
    if (m_entries.empty())
        return nullptr;
    std::uint32_t hash = 0;
    const std::string_view packed = Pack(number, hash);
    const CSlot& slot = m_slots[Locate(packed, hash)];
    return slot.entry ? &m_codes[m_entries[slot.entry - 1].code] : nullptr;
}

std::size_t CPointTable::Locate(std::string_view packed, std::uint32_t& hash) const
{
    std::size_t probes = 0;
    const std::size_t at = FindSlot(packed, hash, probes);
    if (probes <= kLongProbe || m_spread)
        return at;
    // Numbers that crowd together, by chance or by design: from now on every number is spread.
    Spread();
    hash = SpreadHash(packed.data(), packed.size());
    return FindSlot(packed, hash, probes);
}

std::string_view CPointTable::Pack(std::wstring_view number, std::uint32_t& hash) const
{
    // No character takes more than five bytes. The scratch only grows, as resizing it to each
    // number would clear the bytes about to be written. Its first word is cleared, so that a
    // short number is a word with zeros past it (HeldWord).
    if (m_packed.size() < std::max(kHeldBytes, number.size() * 5))
        m_packed.resize(std::max(kHeldBytes, number.size() * 5));
    char* out = &m_packed[0];
    std::memset(out, 0, kHeldBytes);
    // A decimal number of up to nine digits without leading zeros is its own hash, which no
    // other such number has: numbers given in order then take neighbouring slots, and the
    // table is walked the way memory is read fastest. Its value is read in the same walk.
    bool decimal = !m_spread && !number.empty() && number.size() < 10 &&
                   (number.size() == 1 || number[0] != L'0');
    std::uint32_t value = 0;
    for (const wchar_t c : number)
    {
        auto code = static_cast<std::uint32_t>(c);
        const std::uint32_t digit = code - L'0';
        decimal &= digit < 10;
        value = value * 10 + digit;
        while (code >= 0x80)
        {
            *out++ = static_cast<char>(0x80 | (code & 0x7F));
            code >>= 7;
        }
        *out++ = static_cast<char>(code);
    }
    const std::string_view packed(m_packed.data(), static_cast<std::size_t>(out - m_packed.data()));
    hash = decimal ? value : SpreadHash(packed.data(), packed.size());
    return packed;
}

std::wstring CPointTable::Unpack(const CEntry& entry)
{
    std::wstring number;
    std::uint32_t value = 0;
    unsigned shift = 0;
    for (std::uint32_t i = 0; i < entry.size; ++i)
    {
        const unsigned char byte = Bytes(entry)[i];
        value |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
        shift += 7;
        if (byte < 0x80)
        {
            number.push_back(static_cast<wchar_t>(value));
            value = 0;
            shift = 0;
        }
    }
    return number;
}

std::uint32_t CPointTable::SpreadHash(const char* packed, std::size_t size) const
{
    return SeededHash(m_seed, reinterpret_cast<const unsigned char*>(packed), size);
}

std::size_t CPointTable::FindSlot(std::string_view packed, std::uint32_t hash,
                                  std::size_t& probes) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask, ++probes)
    {
        const CSlot& slot = m_slots[at];
        if (slot.entry == 0)
            return at;
        if (slot.hash != hash)
            continue;
        const CEntry& entry = m_entries[slot.entry - 1];
        if (entry.size != packed.size())
            continue;
        if (packed.size() <= kHeldBytes
                ? entry.number == HeldWord(packed)
                : std::memcmp(Bytes(entry), packed.data(), packed.size()) == 0)
            return at;
    }
}

void CPointTable::Spread() const
{
    m_spread = true;
    std::vector<CSlot> slots(m_slots.size());
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = 0; i < m_entries.size(); ++i)
    {
        const CEntry& entry = m_entries[i];
        const std::uint32_t hash =
            SpreadHash(reinterpret_cast<const char*>(Bytes(entry)), entry.size);
        std::size_t at = hash & mask;
        while (slots[at].entry != 0)
            at = (at + 1) & mask;
        slots[at] = CSlot{static_cast<std::uint32_t>(i + 1), hash};
    }
    m_slots.swap(slots);
}

const unsigned char* CPointTable::Bytes(const CEntry& entry)
{
    if (entry.size <= kHeldBytes)
        return reinterpret_cast<const unsigned char*>(&entry.number);
    return reinterpret_cast<const unsigned char*>(static_cast<std::uintptr_t>(entry.number));
}

std::uint64_t CPointTable::HeldWord(std::string_view packed)
{
    std::uint64_t word = 0;
    std::memcpy(&word, packed.data(), kHeldBytes);
    return word;
}

std::uint64_t CPointTable::Keep(std::string_view packed)
{
    if (packed.size() <= kHeldBytes)
        return HeldWord(packed);
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(Store(packed)));
}

const unsigned char* CPointTable::Store(std::string_view packed)
{
    if (m_blocks.empty() || m_blockUsed + packed.size() > m_blockSize)
    {
        // A number longer than a block gets one of its own.
        m_blockSize = packed.size() > kBlockBytes ? packed.size() : kBlockBytes;
        m_blocks.emplace_back(new unsigned char[m_blockSize]);
        m_blockUsed = 0;
    }
    unsigned char* at = m_blocks.back().get() + m_blockUsed;
    if (!packed.empty())
        std::memcpy(at, packed.data(), packed.size());
    m_blockUsed += packed.size();
    return at;
}

std::uint64_t CPointTable::CodeKey(std::wstring_view code)
{
    if (code.size() > 7)
        return kLongCode;
    std::uint64_t key = code.size();
    for (std::size_t i = 0; i < code.size(); ++i)
    {
        const auto c = static_cast<std::uint32_t>(code[i]);
        if (c > 0xFF)
            return kLongCode;
        key |= static_cast<std::uint64_t>(c) << (8 * (i + 1));
    }
    return key;
}

std::uint32_t CPointTable::InternCode(std::wstring_view code)
{
    const std::uint64_t key = CodeKey(code);
    // The code given last is most often the one given next.
    if (key == m_lastCodeKey && key != kLongCode)
        return m_lastCode;
    if ((m_codes.size() + 1) * 2 > m_codeSlots.size())
        GrowCodeSlots();
    const std::size_t mask = m_codeSlots.size() - 1;
    std::size_t at = CodeHash(key, code) & mask;
    for (; m_codeSlots[at].index != 0; at = (at + 1) & mask)
    {
        const CCodeSlot& slot = m_codeSlots[at];
        if (slot.key == key && (key != kLongCode || m_codes[slot.index - 1] == code))
            return RememberCode(key, slot.index - 1);
    }
    const auto index = static_cast<std::uint32_t>(m_codes.size());
    m_codes.emplace_back().assign(code);
    m_codeSlots[at] = CCodeSlot{key, index + 1};
    return RememberCode(key, index);
}

std::uint32_t CPointTable::RememberCode(std::uint64_t key, std::uint32_t index)
{
    m_lastCodeKey = key;
    m_lastCode = index;
    return index;
}

std::uint32_t CPointTable::CodeHash(std::uint64_t key, std::wstring_view code) const
{
    // Seeded as the numbers are: codes made to crowd one table do not crowd the next. A short
    // code's key is mixed whole with the finaliser of MurmurHash3's 64-bit hash.
    if (key == kLongCode)
        return SeededHash(m_seed, code.data(), code.size());
    key ^= static_cast<std::uint64_t>(m_seed) * 0x9E3779B97F4A7C15ull;
    key ^= key >> 33;
    key *= 0xFF51AFD7ED558CCDull;
    key ^= key >> 33;
    key *= 0xC4CEB9FE1A85EC53ull;
    key ^= key >> 33;
    return static_cast<std::uint32_t>(key);
}

void CPointTable::GrowCodeSlots()
{
    std::vector<CCodeSlot> slots(m_codeSlots.empty() ? 16 : m_codeSlots.size() * 2);
    const std::size_t mask = slots.size() - 1;
    for (const CCodeSlot& slot : m_codeSlots)
    {
        if (slot.index == 0)
            continue;
        std::size_t at = CodeHash(slot.key, m_codes[slot.index - 1]) & mask;
        while (slots[at].index != 0)
            at = (at + 1) & mask;
        slots[at] = slot;
    }
    m_codeSlots.swap(slots);
}

void CPointTable::Grow()
{
    m_slots = Platform::Rehashed(m_slots, m_slots.empty() ? kFirstSlots : m_slots.size() * 2);
}
