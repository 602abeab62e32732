#include "platform/driver/physical_channels.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/driver/driver_errors.h"

namespace trelvanix::driver {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool parseNumber(std::string_view text, int* value) {
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

Outcome parsePhysicalChannels(std::string_view list, std::string_view device, std::string_view kind,
                              int count, std::vector<int>* channels) {
    channels->clear();
    std::string_view currentDevice;
    std::string_view rest = list;
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = trimmed(rest.substr(0, comma));
        const std::string quoted = "\"" + std::string(item) + "\"";
        std::string_view name = item;
        if (const std::size_t slash = item.find('/'); slash != std::string_view::npos) {
            currentDevice = trimmed(item.substr(0, slash));
            name = trimmed(item.substr(slash + 1));
            if (!sameNameIgnoringCase(currentDevice, device))
                return Outcome::failure(kErrorInvalidDeviceId,
                                        "device \"" + std::string(currentDevice) + "\" in " +
                                            quoted + " does not exist; the board is \"" +
                                            std::string(device) + "\"");
        } else if (currentDevice.empty()) {
            return Outcome::failure(kErrorPhysicalChanDoesNotExist,
                                    "physical channel " + quoted + " names no device");
        }
        const auto noSuchChannel = [&] {
            return Outcome::failure(kErrorPhysicalChanDoesNotExist,
                                    "physical channel " + quoted + " does not exist; " +
                                        std::string(device) + " has " + std::string(kind) +
                                        "0 to " + std::string(kind) + std::to_string(count - 1));
        };
        if (name.size() <= kind.size() || !sameNameIgnoringCase(name.substr(0, kind.size()), kind))
            return noSuchChannel();
        const std::string_view numbers = name.substr(kind.size());
        const std::size_t colon = numbers.find(':');
        int first = 0;
        int last = 0;
        if (!parseNumber(numbers.substr(0, colon), &first)) return noSuchChannel();
        last = first;
        if (colon != std::string_view::npos && !parseNumber(numbers.substr(colon + 1), &last))
            return noSuchChannel();
        if (first < 0 || last < 0 || first >= count || last >= count) return noSuchChannel();
        for (int ch = first;; ch += (last >= first ? 1 : -1)) {
            channels->push_back(ch);
            if (ch == last) break;
        }
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return Outcome::success();
}

}  // namespace trelvanix::driver
