#include "receiver/nmea/sentence_type.h"

#include <algorithm>
#include <array>

namespace zentrix::receiver {
namespace {

using enum SentenceType;
constexpr SentenceEvent kNone = SentenceEvent::None;
constexpr SentenceEvent kReply = SentenceEvent::Reply;
constexpr SentenceEvent kVector = SentenceEvent::Vector;

constexpr std::array kTable = {
    SentenceTypeRow{"$GPGGA", Gga, kNone, "GGA"},
    SentenceTypeRow{"$GPGLL", Gll, kNone, "GLL"},
    SentenceTypeRow{"$GPGSA", Gsa, kNone, "GSA"},
    SentenceTypeRow{"$GLGSA", Gsa, kNone, "GSA"},
    SentenceTypeRow{"$GNGSA", Gsa, kNone, "GSA"},
    SentenceTypeRow{"$GPGSV", Gsv, kNone, "GSV"},
    SentenceTypeRow{"$GLGSV", Gsv, kNone, "GSV"},
    SentenceTypeRow{"$GNGST", Gst, kNone, "GST"},
    SentenceTypeRow{"$GPGST", Gst, kNone, "GST"},
    SentenceTypeRow{"$GLGST", Gst, kNone, "GST"},
    SentenceTypeRow{"$PQELR,SGP", Sgp, kNone, "SGP"},
    SentenceTypeRow{"$PQELR,SGL", Sgl, kNone, "SGL"},
    SentenceTypeRow{"$PQELR,SGA", Sga, kNone, "SGA"},
    SentenceTypeRow{"$PQELR,CFG", Cfg, kReply, "CFG"},
    SentenceTypeRow{"$GPZDA", Zda, kNone, "ZDA"},
    SentenceTypeRow{"$PQELR,NTR", Ntr, kReply, "NTR"},
    SentenceTypeRow{"$PQELR,MDM", Mdm, kReply, "MDM"},
    SentenceTypeRow{"$PQELR,DIP", Dip, kReply, "DIP"},
    SentenceTypeRow{"$PQELR,CPD", Cpd, kReply, "CPD"},
    SentenceTypeRow{"$PQELR,RDP", Rdp, kReply, "RDP"},
    SentenceTypeRow{"$PQELR,PRT", Prt, kReply, "PRT"},
    SentenceTypeRow{"$PQELR,BTH", Bth, kReply, "BTH"},
    SentenceTypeRow{"$PQELR,NMO", Nmo, kReply, "NMO"},
    SentenceTypeRow{"$PQELR,OBI", Obi, kNone, "OBI"},
    SentenceTypeRow{"$PQELR,SBA", Sba, kReply, "SBA"},
    SentenceTypeRow{"$PQELR,QZS", Qzs, kReply, "QZS"},
    SentenceTypeRow{"$PQELR,GLO", Glo, kReply, "GLO"},
    SentenceTypeRow{"$PQELR,GPS", Gps, kReply, "GPS"},
    SentenceTypeRow{"$PQELR,PEM", Pem, kReply, "PEM"},
    SentenceTypeRow{"$PQELR,A2D", A2d, kNone, "A2D"},
    SentenceTypeRow{"$PQELR,ANH", Anh, kReply, "ANH"},
    SentenceTypeRow{"$PQELR,ANR", Anr, kReply, "ANR"},
    SentenceTypeRow{"$PQELR,ANP,OWN", Anp, kReply, "ANP"},
    SentenceTypeRow{"$PQELR,BAS", Bas, kReply, "BAS"},
    SentenceTypeRow{"$PQELR,STI", Sti, kReply, "STI"},
    SentenceTypeRow{"$PQELR,DRI", Dri, kReply, "DRI"},
    SentenceTypeRow{"$PQELR,REC", Rec, kNone, "REC"},
    SentenceTypeRow{"$PQELR,ATL", Atl, kReply, "ATL"},
    SentenceTypeRow{"$PQELR,MEM", Mem, kReply, "MEM"},
    SentenceTypeRow{"$PQELR,WTI", Wti, kNone, "WTI"},
    SentenceTypeRow{"$PQELR,VEC", Vec, kVector, "VEC"},
    SentenceTypeRow{"$GPVTG", Vtg, kNone, "VTG"},
    SentenceTypeRow{"$PQELR,FIL,CUR", FilCur, kReply, "FILCUR"},
    SentenceTypeRow{"$PQELR,FIL,PTH", FilPth, kReply, "FILPTH"},
    SentenceTypeRow{"$PQELR,NPT", Npt, kReply, "NPT"},
    SentenceTypeRow{"RECEIVER VERSION", Version, kReply, "VERSION"},
    SentenceTypeRow{"$PQELR,ACK", Ack, kReply, "ACK"},
    SentenceTypeRow{"$PQELR,NAK", Nak, kReply, "NAK"},
    SentenceTypeRow{"$PQELR,NRC", Nrc, kReply, "NRC"},
    SentenceTypeRow{"$PQELR,BRD", Brd, kReply, "BRD"},
    SentenceTypeRow{"$GPDTM", Dtm, kNone, "DTM"},
    SentenceTypeRow{"$PQELR,RCP", Rcp, kNone, "RCP"},
    SentenceTypeRow{"$PQELR,RCP,REF", RcpRef, kReply, "RCPREF"},
    SentenceTypeRow{"$PQELR,RID", Rid, kReply, "RID"},
};

const SentenceTypeRow* rowOf(SentenceType type) {
    const auto it = std::find_if(kTable.begin(), kTable.end(),
                                 [type](const SentenceTypeRow& row) { return row.type == type; });
    return it == kTable.end() ? nullptr : &*it;
}

}  // namespace

std::span<const SentenceTypeRow> sentenceTypeTable() { return kTable; }

SentenceType matchSentenceType(std::string_view header) {
    if (header.empty()) return Unknown;
    const size_t last = header.size() - 1;
    for (const auto& row : kTable) {
        // The last characters differ between most rows: test them before the whole header.
        if (row.keyword.size() > last && row.keyword[last] == header[last] &&
            row.keyword.substr(0, header.size()) == header) {
            return row.type;
        }
    }
    return Unknown;
}

SentenceEvent eventOf(SentenceType type) {
    const auto* row = rowOf(type);
    return row ? row->event : kNone;
}

std::string_view nameOf(SentenceType type) {
    const auto* row = rowOf(type);
    return row ? row->name : "UNKNOWN";
}

}  // namespace zentrix::receiver
