#include "console/fleet_view.h"

#include <algorithm>
#include <cinttypes>

#include "console/usage_text.h"

namespace {

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char character : text) {
        const auto c = static_cast<unsigned char>(character);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// Seconds with decimals places after the point, at least width characters wide.
std::string SecondsText(double seconds, int decimals, int width = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, "%*.*f", width, decimals, seconds);
    return text;
}

// A port name as a shell takes it back: quoted when it holds anything but plain characters.
std::string ShellWord(const std::string& word)
{
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                            "0123456789-_./:,=+@%") == std::string::npos;
    if (plain)
        return word;
    std::string quoted = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\' || c == '$' || c == '`')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string Padded(std::string text, size_t width)
{
    if (text.size() > width)
        text = text.substr(0, width);
    text.resize(width, ' ');
    return text;
}

// The port column's width: every port whole, at least 16 characters.
size_t PortWidth(const std::vector<CFleetRow>& rows)
{
    size_t width = 16;
    for (const CFleetRow& row : rows)
        width = std::max(width, row.port.shown.size());
    return width;
}

void WriteOut(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

std::string FleetJsonLine(const CFleetEvent& event, const std::vector<CFleetRow>& rows)
{
    std::string line = "{\"v\":1,\"port\":" + JsonString(rows[event.row].port.shown);
    switch (event.kind) {
    case FleetEventKind::connecting:
        line += ",\"event\":\"connecting\"";
        break;
    case FleetEventKind::connected:
        line += ",\"event\":\"connected\",\"model\":" + JsonString(event.model) +
                ",\"rate\":" + std::to_string(event.rate) +
                ",\"statistics\":" + (event.statistics ? "true" : "false");
        break;
    case FleetEventKind::progress:
        line += ",\"event\":\"progress\",\"file\":" + JsonString(event.file) +
                ",\"done\":" + std::to_string(event.done) + ",\"total\":" + std::to_string(event.total);
        break;
    case FleetEventKind::file:
        line += ",\"event\":\"file\",\"path\":" + JsonString(event.file) + ",\"result\":\"sent\"";
        break;
    case FleetEventKind::message:
        line += ",\"event\":\"message\",\"code\":" + std::to_string(event.code) +
                ",\"text\":" + JsonString(event.text);
        break;
    case FleetEventKind::text:
        line += ",\"event\":\"message\",\"text\":" + JsonString(event.text);
        break;
    case FleetEventKind::result:
        line += ",\"event\":\"result\",\"code\":" + std::to_string(event.code) +
                ",\"text\":" + JsonString(event.text) + ",\"seconds\":" + SecondsText(event.seconds, 3) +
                ",\"ok\":" + (rows[event.row].succeeded ? "true" : "false");
        break;
    }
    return line + "}";
}

std::string FleetTableText(const std::vector<CFleetRow>& rows)
{
    const size_t portWidth = PortWidth(rows);
    std::string text = Padded("PORT", portWidth) + " " + Padded("MODEL", 10) + " " + Padded("PHASE", 24) +
                       "     %       B/s\n";
    for (const CFleetRow& row : rows) {
        const uint64_t percent = row.total > 0 ? row.done * 100 / row.total : 0;
        char figures[48];
        std::snprintf(figures, sizeof figures, "%5" PRIu64 " %9.0f", percent, row.bytesPerSecond);
        text += Padded(row.port.shown, portWidth) + " " + Padded(row.model, 10) + " " + Padded(row.phase, 24) +
                " " + figures + "\n";
    }
    return text;
}

std::string FleetRetryCommand(const std::vector<CFleetRow>& rows,
                              const std::vector<std::string>& retryArguments, bool json)
{
    std::string ports;
    for (const CFleetRow& row : rows)
        if (row.finished && !row.succeeded)
            ports += (ports.empty() ? "" : ",") + row.port.name;
    if (ports.empty())
        return {};
    std::string command = applicationName;
    if (json)
        command += " --json";
    command += ' ';
    command += ShellWord(ports);
    for (const std::string& argument : retryArguments) {
        command += ' ';
        command += ShellWord(argument);
    }
    return command;
}

std::string FleetSummaryText(const std::vector<CFleetRow>& rows,
                             const std::vector<std::string>& retryArguments, bool json)
{
    // The result last, whole: it says why a handset failed, however long the message.
    const size_t portWidth = PortWidth(rows);
    std::string text = "\nSummary:\n" + Padded("PORT", portWidth) + " SECONDS  RESULT\n";
    int succeeded = 0;
    for (const CFleetRow& row : rows) {
        succeeded += row.succeeded ? 1 : 0;
        const std::string result = row.succeeded ? (row.resultText.empty() ? "Done" : row.resultText)
                                                 : (row.resultText.empty() ? "Failed" : row.resultText);
        std::string shownResult = result;
        for (char& c : shownResult)
            if (c == '\n')
                c = ' ';  // a path message's second line joins its first
        text += Padded(row.port.shown, portWidth) + " " + SecondsText(row.seconds, 1, 7) + "  " + shownResult + "\n";
    }
    text += "Success " + std::to_string(succeeded) + ", Failure " +
            std::to_string(static_cast<int>(rows.size()) - succeeded) + "\n";
    const std::string retry = FleetRetryCommand(rows, retryArguments, json);
    if (!retry.empty())
        text += "Repeat on the failed handsets with:\n  " + retry + "\n";
    return text;
}

CFleetView::CFleetView(FleetViewKind viewKind) : kind(viewKind) {}

void CFleetView::OnEvent(const CFleetEvent& event, const std::vector<CFleetRow>& rows)
{
    if (kind == FleetViewKind::json) {
        WriteOut(FleetJsonLine(event, rows) + "\n");
        return;
    }
    if (kind == FleetViewKind::table) {
        Tick(rows, event.kind == FleetEventKind::result);
        return;
    }
    const std::string prefix = "[" + rows[event.row].port.shown + "] ";
    if (event.kind == FleetEventKind::text) {
        WriteOut(prefix + event.text + "\n");
    } else if (event.kind == FleetEventKind::message) {
        std::string out;
        size_t start = 0;
        while (start <= event.text.size()) {
            const size_t end = event.text.find('\n', start);
            const std::string line = event.text.substr(start, end == std::string::npos ? std::string::npos : end - start);
            out += prefix + line + "\n";
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        WriteOut(out);
    }
}

void CFleetView::Tick(const std::vector<CFleetRow>& rows, bool force)
{
    if (kind != FleetViewKind::table)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDrawn < std::chrono::milliseconds(100))
        return;
    const std::string text = FleetTableText(rows);
    if (text == drawnText)
        return;
    std::string out;
    // Back to the table's first line, then every line rewritten and cleared to its end.
    if (drawnLines > 0)
        out += "\r\033[" + std::to_string(drawnLines) + "A";
    size_t lines = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        out += text.substr(start, end - start) + "\033[K\n";
        start = end + 1;
        ++lines;
    }
    WriteOut(out);
    drawnText = text;
    drawnLines = lines;
    lastDrawn = now;
}
