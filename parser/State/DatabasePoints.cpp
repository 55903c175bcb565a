#include "parser/State/DatabasePoints.h"

#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"
#include "parser/State/ConvertField.h"
#include "plugin/Messages.h"
#include "resources/MessageIds.h"

#include <cstdint>

namespace State
{

namespace
{

// Three ASCII characters in one word, a byte each.
constexpr std::uint32_t ClassWord(std::uint32_t first, std::uint32_t second, std::uint32_t third)
{
    return first | second << 8 | third << 16;
}

// The classes a control point may have; any other text drops the row. A class is three ASCII
// letters: the field's three characters, ASCII too, make one word compared with each class's.
bool IsKnownClass(const CFieldView& text)
{
    if (text.size() != 3)
        return false;
    const auto first = static_cast<std::uint32_t>(text.data()[0]);
    const auto second = static_cast<std::uint32_t>(text.data()[1]);
    const auto third = static_cast<std::uint32_t>(text.data()[2]);
    if ((first | second | third) >= 0x80)
        return false;
    const std::uint32_t word = ClassWord(first, second, third);
    return word == ClassWord('F', 'I', 'X') || word == ClassWord('A', 'D', 'J') ||
           word == ClassWord('R', 'E', 'F') || word == ClassWord('A', 'V', 'G');
}

} // namespace

CDatabasePoints::CDatabasePoints(CColumnNames columns)
    : CStateBaseWithParams(std::move(columns)), m_pointNoColumn(FindColumn(L"PointNo")),
      m_pointIdColumn(FindColumn(L"PointID")), m_northColumn(FindColumn(L"North")),
      m_eastColumn(FindColumn(L"East")), m_elevationColumn(FindColumn(L"Elevation")),
      m_codeColumn(FindColumn(L"Code")), m_classColumn(FindColumn(L"CLASS"))
{
}

ParserStatePtr CDatabasePoints::BeginSection(const std::wstring& line)
{
    for (const wchar_t* skipped :
         {SkippedSectionNames::ThemInfo, SkippedSectionNames::ExtraInfo,
          SkippedSectionNames::PointAccuracy, SkippedSectionNames::Annotations})
        if (StartsWithKeyword(line, skipped))
            return CreateSkipSection(line);
    return ParserStatePtr();
}

bool CDatabasePoints::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Points);
}

bool CDatabasePoints::ReadsRows() const
{
    return m_pointNoColumn >= 0 && m_pointIdColumn >= 0;
}

void CDatabasePoints::HandleUnreadRow()
{
    ReportMessage(Context()->GetReceiver(), m_pointNoColumn < 0 ? MessageId::PointNumberMissing
                                                                : MessageId::PointNameMissing);
}

void CDatabasePoints::HandleRow()
{
    IParserStateContext& context = *Context();
    IGroundDataReceiver* receiver = context.GetReceiver();

    if (!m_fields.Has(m_pointIdColumn))
    {
        ReportMessage(receiver, MessageId::PointNameMissing);
        return;
    }

    bool hasClass = false;
    bool dropped = false;
    if (m_fields.Has(m_classColumn))
    {
        hasClass = IsKnownClass(m_fields[m_classColumn]);
        dropped = !hasClass;
    }

    // The point table takes the first code given for a number, even from a row that is dropped.
    const CFieldView code =
        m_fields.Has(m_codeColumn) ? m_fields[m_codeColumn] : CFieldView(L"", 0);
    if (m_fields.Has(m_codeColumn) && m_fields.Has(m_pointNoColumn))
        context.GetPointTable().Add(m_fields[m_pointNoColumn], code);

    if (dropped || !receiver)
        return;

    receiver->BeginPoint(m_fields[m_pointIdColumn].c_str());
    context.NoteRecordOpened();
    ILinearConverter* const linear = context.BorrowLinearConverter();
    if (const std::optional<double> north = Coordinate(linear, m_northColumn))
        receiver->SetNorth(*north);
    if (const std::optional<double> east = Coordinate(linear, m_eastColumn))
        receiver->SetEast(*east);
    if (const std::optional<double> elevation = Coordinate(linear, m_elevationColumn))
        receiver->SetElevation(*elevation);
    if (hasClass)
        receiver->SetPointClass(1);
    if (!code.empty())
        receiver->SetCode(code.c_str());
}

std::optional<double> CDatabasePoints::Coordinate(ILinearConverter* converter,
                                                  std::int32_t column) const
{
    if (!m_fields.Has(column) || m_fields[column].empty())
        return std::nullopt;
    return ConvertField(converter, m_fields[column]);
}

std::wstring_view CDatabasePoints::Name() const
{
    return SectionNames::Points;
}

} // namespace State
