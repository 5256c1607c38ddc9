// Looking for "sound/card<N>" in a USB device's interface folders.
#include "platform/audio/sound_card.h"

#include <cctype>
#include <filesystem>

namespace platform::audio {

namespace fs = std::filesystem;

namespace {

// N of a folder named "card<N>"; -1 for any other name ("controlC1", "pcmC1D0c").
int CardNumber(const std::string& name) {
    if (name.size() < 5 || name.size() > 7 || name.compare(0, 4, "card") != 0)
        return -1;
    for (size_t i = 4; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return -1;
    }
    return std::stoi(name.substr(4));
}

} // namespace

std::optional<int> FindSoundCard(const std::string& sysRoot, const UsbDevice& device) {
    if (device.sysfsPath.empty())
        return std::nullopt;
    std::optional<int> found;
    std::error_code error;
    // The interfaces are the device's direct subfolders ("1-4:1.1"); their cards sit in
    // "sound/". Errors (the device unplugged meanwhile) end the walk with what was found.
    for (fs::directory_iterator function(sysRoot + device.sysfsPath, error), end;
         !error && function != end; function.increment(error)) {
        const fs::path sound = function->path() / "sound";
        for (fs::directory_iterator card(sound, error), cardEnd; !error && card != cardEnd;
             card.increment(error)) {
            const int number = CardNumber(card->path().filename().string());
            if (number >= 0 && (!found || number < *found))
                found = number;
        }
        error.clear(); // an interface without "sound/" is no error
    }
    return found;
}

} // namespace platform::audio
