#include "simulator.h"

#include <fcntl.h>
#include <unistd.h>

#include "device_link.h"
#include "pty_owner.h"
#include "session.h"
#include "signal_watch.h"
#include "virtual_kc.h"

namespace kcsim {

using posix_io::FileDescriptor;
using posix_io::retryOnEintr;
using posix_io::writeAll;

namespace {

// Opened before the line is served, so a dump that cannot be written is
// known before anything has been sent.
Result<FileDescriptor> openDump(const std::string& path) {
    FileDescriptor file(retryOnEintr(
        [&] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); }));
    if (!file.valid()) {
        return kc::systemError("cannot write the memory to " + path, errno);
    }
    return file;
}

std::optional<kc::Error> dumpMemory(FileDescriptor file, const std::string& path,
                                    const MemoryWrite::Memory& memory) {
    int error = writeAll(file.get(), memory.data(), memory.size());
    if (error == 0) {
        error = file.close();
    }
    if (error != 0) {
        return kc::systemError("cannot write the memory to " + path, error);
    }
    return std::nullopt;
}

}  // namespace

std::optional<kc::Error> runSimulator(const Options& options) {
    auto signals = watchSignals();
    if (auto* failure = std::get_if<kc::Error>(&signals)) {
        return *failure;
    }
    std::optional<KccSaver> saver;
    if (!options.saveDir.empty()) {
        if (auto failure = prepareSaveDirectory(options.saveDir)) {
            return failure;
        }
        saver.emplace(options.saveDir);
    }
    FileDescriptor dump;
    if (!options.dumpFile.empty()) {
        auto opened = openDump(options.dumpFile);
        if (auto* failure = std::get_if<kc::Error>(&opened)) {
            return *failure;
        }
        dump = std::move(std::get<FileDescriptor>(opened));
    }
    auto opened = PtyOwner::open();
    if (auto* failure = std::get_if<kc::Error>(&opened)) {
        return *failure;
    }
    const PtyOwner& pty = std::get<PtyOwner>(opened);
    std::optional<DeviceLink> link;
    if (!options.link.empty()) {
        auto made = DeviceLink::create(options.link, pty.devicePath());
        if (auto* failure = std::get_if<kc::Error>(&made)) {
            return *failure;
        }
        link.emplace(std::move(std::get<DeviceLink>(made)));
    }
    show("kcsim: virtual KC on " + pty.devicePath() +
         (link ? " as " + link->path() : std::string()) + " (RESET: kill -USR1 " +
         std::to_string(::getpid()) + ")\n");

    VirtualKc kc(std::move(saver));
    BusySchedule busy(options.busyAfterCarriageReturn, options.holds);
    auto lineFailure =
        serveLine({pty, std::get<FileDescriptor>(signals).get(), kc, busy, options.exitAfterIdle});
    std::string summary;
    kc.finish(summary, busy.holds());
    show(summary);
    if (lineFailure) {
        return lineFailure;
    }
    if (dump.valid()) {
        return dumpMemory(std::move(dump), options.dumpFile, kc.memory());
    }
    return std::nullopt;
}

}  // namespace kcsim
