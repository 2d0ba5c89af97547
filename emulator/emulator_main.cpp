// tavimo-emulator: serves the emulated service until interrupted.
#include "emulator/emulator.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

void printHelp()
{
    std::cout
        << "Usage: tavimo-emulator [options]\n"
           "Serves the Tavimo radio, catalogue and MP3 file hosts on 127.0.0.1, one port each,\n"
           "and a fourth port that takes requests in proxy form for radio.tavimo.com,\n"
           "music.tavimo.com and audio.tavimo.com (use it as http_proxy).\n\n"
           "  --port-base PORT     radio, catalogue, audio and proxy on PORT .. PORT+3 (default: any free)\n"
           "  --mp3-size BYTES     size of every MP3 file (default "
        << tavimo::emu::Mp3File::kDefaultSize
        << ")\n"
           "  --liked-count N      the liked list holds N tracks (beyond its own 44, more that repeat its titles)\n"
           "  --liked-lately N     N tracks liked lately at the top of the liked list\n"
           "  --fault RULE         misbehave on paths starting with PREFIX; RULE is\n"
           "                       "
        << tavimo::emu::faultOptionHelp()
        << "\n"
           "                       (repeatable; e.g. --fault /j/mine/playlist=fail-first:3)\n"
           "  --proxy-credentials USER:PASSWORD\n"
           "                       the proxy port answers 407 to requests without these credentials\n"
           "  --log FILE           on exit, write one line per request: status, body bytes sent, path, ms since start\n"
           "  --help               this text\n";
}

bool readNumber(const std::string &text, long long &value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= 0;
}

bool writeRequestLog(const tavimo::emu::Emulator &emulator, const std::string &path)
{
    std::ofstream out(path, std::ios::trunc);
    for (const auto &record : emulator.requestLog())
        out << record.status << ' ' << record.bodyBytesSent << ' ' << record.target << ' ' << record.arrivedMs << '\n';
    return static_cast<bool>(out.flush());
}

int fail(const std::string &message)
{
    std::cerr << "tavimo-emulator: " << message << "\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    tavimo::emu::Emulator emulator;
    long long portBase = 0;
    std::string logPath;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            printHelp();
            return 0;
        }
        if (i + 1 >= argc)
            return fail("unknown option or missing value: " + option);
        const std::string value = argv[++i];
        long long number = 0;
        if (option == "--port-base" && readNumber(value, number) && number < 65533) {
            portBase = number;
        } else if (option == "--mp3-size" && readNumber(value, number)) {
            emulator.setMp3Size(static_cast<uint64_t>(number));
        } else if (option == "--liked-count" && readNumber(value, number)) {
            emulator.setLikedCount(static_cast<int>(std::min<long long>(number, 1 << 16)));
        } else if (option == "--liked-lately" && readNumber(value, number)) {
            emulator.setLikedLately(static_cast<int>(std::min<long long>(number, 1 << 16)));
        } else if (option == "--proxy-credentials" && value.find(':') != std::string::npos) {
            emulator.setProxyCredentials(value);
        } else if (option == "--log" && !value.empty()) {
            logPath = value;
        } else if (option == "--fault") {
            const auto fault = tavimo::emu::parseFaultOption(value);
            if (!fault)
                return fail("cannot read the fault " + value + "; expected " + tavimo::emu::faultOptionHelp());
            emulator.setFault(fault->first, fault->second);
        } else {
            return fail("unknown option or bad value: " + option + " " + value);
        }
    }
    if (!emulator.start(static_cast<int>(portBase)))
        return fail("cannot listen on 127.0.0.1" + (portBase ? " ports from " + std::to_string(portBase) : ""));

    const tavimo::emu::HostNames hosts = emulator.hostNames();
    std::cout << "radio     " << hosts.radio << "\ncatalogue " << hosts.catalogue << "\naudio     " << hosts.audio
              << "\nproxy     127.0.0.1:" << emulator.proxyPort() << "\n"
              << std::flush;

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    while (!stopRequested)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    emulator.stop();
    if (!logPath.empty() && !writeRequestLog(emulator, logPath))
        return fail("cannot write the request log " + logPath);
    return 0;
}
