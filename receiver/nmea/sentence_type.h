// The sentence types the reader recognises, as one table.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zentrix::receiver {

enum class SentenceType : uint8_t {
    Unknown,
    Gga, Gll, Gsa, Gsv, Gst, Sgp, Sgl, Sga, Cfg, Zda, Ntr, Mdm, Dip, Cpd, Rdp, Prt, Bth, Nmo, Obi,
    Sba, Qzs, Glo, Gps, Pem, A2d, Anh, Anr, Anp, Bas, Sti, Dri, Rec, Atl, Mem, Wti, Vec, Vtg,
    FilCur, FilPth, Npt, Version, Ack, Nak, Nrc, Brd, Dtm, Rcp, RcpRef, Rid,
};

/// The event the reader sets after a sentence of a type has been parsed.
enum class SentenceEvent : uint8_t { None, Reply, Vector };

struct SentenceTypeRow {
    std::string_view keyword;
    SentenceType type;
    SentenceEvent event;
    std::string_view name;
};

/// Every row, in matching order.
std::span<const SentenceTypeRow> sentenceTypeTable();

/// Matches a complete header: 10 characters after a "$P" start, 6 after a "$G" start. The first
/// row whose keyword begins with the header wins; rows reached only by refinement (FILPTH,
/// RCPREF) or by the version-block rule (VERSION) never win this way because an earlier row shares
/// their first ten characters or because no header starts with "R".
SentenceType matchSentenceType(std::string_view header);

SentenceEvent eventOf(SentenceType type);
/// The short name ("GGA", "FILCUR"); "UNKNOWN" for Unknown.
std::string_view nameOf(SentenceType type);

}  // namespace zentrix::receiver
