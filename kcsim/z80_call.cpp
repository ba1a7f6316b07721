#include "z80_call.h"

#include <z80ex/z80ex.h>

#include <memory>
#include <utility>

namespace kcsim {

namespace {

constexpr std::uint8_t kSioBData = 0x09;
constexpr std::uint8_t kSioBControl = 0x0B;
constexpr std::uint8_t kTransmitBufferEmpty = 0x04;  // RR0 bit 2
constexpr std::uint8_t kAllSent = 0x01;              // RR1 bit 0

// The call's stack lies below CAOS's interrupt vectors at 01E2h, in the
// system area no program is loaded into.
constexpr std::uint16_t kStackTop = 0x01E0;
// In the ROM, where no routine starts: reaching it is the return.
constexpr std::uint16_t kReturnAddress = 0xFFFF;

struct Machine {
    MemoryWrite::Memory& memory;
    std::vector<std::uint8_t>& sent;
    // The SIO's register pointer: a write to WR0 names the register the next
    // access of the control port reaches; that access sets it back to 0.
    std::uint8_t pointer = 0;
};

Machine& machineOf(void* data) {
    return *static_cast<Machine*>(data);
}

Z80EX_BYTE readMemory(Z80EX_CONTEXT*, Z80EX_WORD address, int, void* data) {
    return machineOf(data).memory[address];
}

void writeMemory(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE value, void* data) {
    storeByte(machineOf(data).memory, address, value);
}

Z80EX_BYTE readPort(Z80EX_CONTEXT*, Z80EX_WORD port, void* data) {
    Machine& machine = machineOf(data);
    if ((port & 0xFF) != kSioBControl) {
        return 0xFF;
    }
    const std::uint8_t reg = std::exchange(machine.pointer, 0);
    return reg == 0 ? kTransmitBufferEmpty : reg == 1 ? kAllSent : 0x00;
}

void writePort(Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE value, void* data) {
    Machine& machine = machineOf(data);
    switch (port & 0xFF) {
        case kSioBData:
            machine.sent.push_back(value);
            break;
        case kSioBControl:
            machine.pointer = machine.pointer == 0 ? (value & 0x07) : 0;
            break;
        default:
            break;
    }
}

Z80EX_BYTE readInterruptVector(Z80EX_CONTEXT*, void*) {
    return 0xFF;
}

struct Destroy {
    void operator()(Z80EX_CONTEXT* cpu) const { z80ex_destroy(cpu); }
};

}  // namespace

Call callCode(MemoryWrite::Memory& memory, std::uint16_t address, std::uint64_t limit) {
    Call call;
    Machine machine{memory, call.sent};
    const std::unique_ptr<Z80EX_CONTEXT, Destroy> cpu(
        z80ex_create(readMemory, &machine, writeMemory, &machine, readPort, &machine, writePort,
                     &machine, readInterruptVector, &machine));
    z80ex_reset(cpu.get());
    const auto stack = static_cast<std::uint16_t>(kStackTop - 2);
    storeByte(memory, stack, kReturnAddress & 0xFF);
    storeByte(memory, stack + 1, kReturnAddress >> 8);
    z80ex_set_reg(cpu.get(), regSP, stack);
    z80ex_set_reg(cpu.get(), regPC, address);

    for (;;) {
        // Between prefixes the program counter stands inside an instruction.
        const std::uint16_t pc = z80ex_get_reg(cpu.get(), regPC);
        if (z80ex_last_op_type(cpu.get()) == 0) {
            call.at = pc;
            if (pc == kReturnAddress) {
                call.end = Call::End::Returned;
                return call;
            }
            if (pc >= kc::kRomStart) {
                call.end = Call::End::IntoRom;
                return call;
            }
        }
        if (call.tStates >= limit) {
            call.end = Call::End::Unended;
            return call;
        }
        call.tStates += static_cast<std::uint64_t>(z80ex_step(cpu.get()));
    }
}

}  // namespace kcsim
