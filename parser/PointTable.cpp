#include "parser/PointTable.h"

#include <cstring>
#include <stdexcept>

namespace
{

constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::size_t kFirstSlots = 64;
// The table grows when more than this share of its slots is taken, in eighths.
constexpr std::size_t kMaxLoadEighths = 5;

} // namespace

CPointTable::CPointTable() = default;
CPointTable::~CPointTable() = default;

bool CPointTable::Add(std::wstring_view number, std::wstring_view code)
{
    Pack(number);
    const std::uint32_t hash = Hash(m_packed);
    if (!m_slots.empty() && m_slots[FindSlot(m_packed, hash)].entry != 0)
        return false;
    if ((m_entries.size() + 1) * 8 > m_slots.size() * kMaxLoadEighths)
        Grow();
    if (m_entries.size() >= UINT32_MAX - 1 || m_packed.size() > UINT32_MAX)
        throw std::length_error("point table full");
    const std::uint32_t codeIndex = InternCode(code);
    const unsigned char* stored = Store(m_packed);
    m_entries.push_back(CEntry{stored, static_cast<std::uint32_t>(m_packed.size()), codeIndex});
    m_slots[FindSlot(m_packed, hash)] = CSlot{static_cast<std::uint32_t>(m_entries.size()), hash};
    return true;
}

const std::wstring* CPointTable::FindCode(std::wstring_view number) const
{
    if (m_entries.empty())
        return nullptr;
    Pack(number);
    const CSlot& slot = m_slots[FindSlot(m_packed, Hash(m_packed))];
    return slot.entry ? &m_codes[m_entries[slot.entry - 1].code] : nullptr;
}

void CPointTable::Pack(std::wstring_view number) const
{
    // No character takes more than five bytes.
    m_packed.resize(number.size() * 5);
    char* out = &m_packed[0];
    for (const wchar_t c : number)
    {
        auto value = static_cast<std::uint32_t>(c);
        while (value >= 0x80)
        {
            *out++ = static_cast<char>(0x80 | (value & 0x7F));
            value >>= 7;
        }
        *out++ = static_cast<char>(value);
    }
    m_packed.resize(static_cast<std::size_t>(out - m_packed.data()));
}

std::wstring CPointTable::Unpack(const CEntry& entry)
{
    std::wstring number;
    std::uint32_t value = 0;
    unsigned shift = 0;
    for (std::uint32_t i = 0; i < entry.size; ++i)
    {
        const unsigned char byte = entry.number[i];
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

std::uint32_t CPointTable::Hash(const std::string& packed)
{
    // FNV-1a: point numbers are short, often differing only in their last digits.
    std::uint32_t hash = 2166136261u;
    for (const char c : packed)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    // FNV leaves the low bits, which pick the slot, poorly mixed for numbers that differ in
    // their last digit: the finaliser of MurmurHash3 spreads them.
    hash ^= hash >> 16;
    hash *= 0x85EBCA6Bu;
    hash ^= hash >> 13;
    hash *= 0xC2B2AE35u;
    hash ^= hash >> 16;
    return hash;
}

std::size_t CPointTable::FindSlot(const std::string& packed, std::uint32_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask)
    {
        const CSlot& slot = m_slots[at];
        if (slot.entry == 0)
            return at;
        if (slot.hash != hash)
            continue;
        const CEntry& entry = m_entries[slot.entry - 1];
        if (entry.size == packed.size() &&
            std::memcmp(entry.number, packed.data(), packed.size()) == 0)
            return at;
    }
}

const unsigned char* CPointTable::Store(const std::string& packed)
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

std::uint32_t CPointTable::InternCode(std::wstring_view code)
{
    // The code given last is most often the one given next.
    if (!m_codes.empty() && m_codes[m_lastCode] == code)
        return m_lastCode;
    m_codeKey.assign(code.data(), code.size());
    const auto known = m_codeIndex.find(m_codeKey);
    if (known != m_codeIndex.end())
        return m_lastCode = known->second;
    const auto index = static_cast<std::uint32_t>(m_codes.size());
    m_codes.push_back(m_codeKey);
    try
    {
        m_codeIndex.emplace(m_codeKey, index);
    }
    catch (...)
    {
        m_codes.pop_back();
        throw;
    }
    return m_lastCode = index;
}

void CPointTable::Grow()
{
    std::vector<CSlot> slots(m_slots.empty() ? kFirstSlots : m_slots.size() * 2);
    const std::size_t mask = slots.size() - 1;
    for (const CSlot& slot : m_slots)
    {
        if (slot.entry == 0)
            continue;
        std::size_t at = slot.hash & mask;
        while (slots[at].entry != 0)
            at = (at + 1) & mask;
        slots[at] = slot;
    }
    m_slots.swap(slots);
}
