// sourcetable: the streams of the caster the board is set to, fetched through the board.
//
// The board downloads the table over its modem's packet data, so the modem is put into IP mode
// and started first, as the NTRIP page does before it loads the table; the caster itself is
// whatever the board holds (`set` changes it). Stations come nearest first when a position is
// known: the one given with --near, else the receiver's own while it has a fix.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "receiver/commands/station_list.h"
#include "tools/ctl/commands.h"
#include "tools/replay/replay.h"
#include "ui/network/station_distance.h"

namespace zentrix::ctl {

namespace {

struct Origin {
    double latitude = 0;
    double longitude = 0;
};

constexpr std::string_view kNear = "--near";

/// The value of "--near VALUE" or "--near=VALUE"; nothing when `args` is not one of them.
std::optional<std::string> nearValue(std::span<const std::string> args) {
    if (args.size() == 2 && args[0] == kNear)
        return args[1];
    if (args.size() == 1 && args[0].size() > kNear.size() && args[0].starts_with(kNear) &&
        args[0][kNear.size()] == '=')
        return args[0].substr(kNear.size() + 1);
    return std::nullopt;
}

/// "LAT,LON" in degrees, "." as the decimal point: latitude within +-90, longitude within +-180.
std::optional<Origin> parseOrigin(std::string_view text) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos)
        return std::nullopt;
    const auto latitude = parseNumber(text.substr(0, comma));
    const auto longitude = parseNumber(text.substr(comma + 1));
    if (!latitude || !longitude || std::abs(*latitude) > 90 || std::abs(*longitude) > 180)
        return std::nullopt;
    return Origin{*latitude, *longitude};
}

/// A field as one table cell: "-" when empty, blanks for the control characters (a tab would
/// split the column).
std::string cell(std::string_view text) {
    if (text.empty())
        return "-";
    std::string out(text);
    for (char& c : out) c = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    return out;
}

std::string distanceCell(const std::optional<double>& kilometres, bool json) {
    if (!kilometres)
        return json ? "null" : "-";
    return json ? replay::jsonNumber(std::round(*kilometres * 1000) / 1000)
                : formatNumber(*kilometres, 1);
}

}  // namespace

std::string checkSourceTable(std::span<const std::string> args) {
    if (args.empty())
        return {};
    const auto value = nearValue(args);
    if (!value) {
        if (args[0] == kNear && args.size() == 1)
            return "--near takes LAT,LON in degrees";
        if (args[0] == kNear || args[0].starts_with("--near="))
            return "unexpected argument after --near LAT,LON";
        return "unknown argument '" + args[0] + "' (sourcetable takes only --near LAT,LON)";
    }
    if (!parseOrigin(*value))
        return "--near takes LAT,LON in degrees with '.' as the decimal point, latitude -90 to 90 "
               "and longitude -180 to 180, not '" +
               *value + "'";
    return {};
}

int runSourceTable(Context& context, std::span<const std::string> args) {
    if (context.kind != app::ReceiverKind::Board)
        return reportUnsupported(context, "sourcetable");
    std::optional<Origin> origin;
    if (const auto value = nearValue(args))
        origin = parseOrigin(*value);

    receiver::ReceiverInterface& receiver = context.receiver;
    // The download goes over packet data; whatever fails here shows as a failed load.
    receiver.setModemIp(0);
    receiver.startModem();
    receiver::StationList stations;
    if (receiver.loadSourceTable(stations) == 0)
        return reportFailure(context, "sourcetable");
    if (stations.size() == 0) {
        context.err << kProgram << ": sourcetable: the caster's table lists no stream\n";
        return kNoAnswer;
    }

    if (!origin) {
        receiver::PositionRecord position;
        if (receiver.getPosition(position) != 0 && position.fixType != 0)
            origin = Origin{position.latitude, position.longitude};
    }
    std::vector<std::optional<double>> kilometres(static_cast<size_t>(stations.size()));
    if (origin) {
        for (int32_t i = 0; i < stations.size(); ++i) {
            const receiver::StationRecord& s = *stations.at(i);
            kilometres[static_cast<size_t>(i)] =
                ui::greatCircleMetres(origin->latitude, origin->longitude, s.latitude,
                                      s.longitude) /
                1000.0;
        }
    }
    std::vector<size_t> order(kilometres.size());
    std::iota(order.begin(), order.end(), size_t{0});
    if (origin) {
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return *kilometres[a] < *kilometres[b]; });
    }

    using receiver::fieldText;
    std::string text;
    if (!context.json)
        text = "mountpoint\tidentifier\tformat\tnavsystem\tcountry\tlatitude\tlongitude\tkm\n";
    for (const size_t i : order) {
        const receiver::StationRecord& s = *stations.at(static_cast<int32_t>(i));
        if (context.json) {
            std::string line = replay::stationJson(s);
            line.pop_back();  // the closing brace: the distance joins the station's keys
            text += line + ",\"distanceKm\":" + distanceCell(kilometres[i], true) + "}\n";
        } else {
            text += cell(fieldText(s.mountPoint)) + '\t' + cell(fieldText(s.identifier)) + '\t' +
                    cell(fieldText(s.format)) + '\t' + cell(fieldText(s.navSystem)) + '\t' +
                    cell(fieldText(s.country)) + '\t' + formatNumber(s.latitude, 4) + '\t' +
                    formatNumber(s.longitude, 4) + '\t' + distanceCell(kilometres[i], false) + '\n';
        }
    }
    context.out << text;
    return kSuccess;
}

}  // namespace zentrix::ctl
