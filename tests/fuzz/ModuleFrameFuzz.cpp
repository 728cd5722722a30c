// The frame parsers against arbitrary bytes from the line: the reply scanner of the serial
// engine, frame and datagram decoding. The first two input bytes pick the request the scanner
// waits for; the rest arrives in chunks whose sizes the input also decides.
#include "ModuleFrame.h"
#include "ReplyScanner.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    busframe::DecodeRequest(input);
    busframe::DecodeReply(input);
    busframe::DecodeReply(busframe::DatagramFrame(input));
    busframe::DatagramTransactionId(input);
    if (size < 3)
        return 0;

    const busframe::Request request{data[0], uint8_t(data[1] & 1 ? 102 : 200), uint8_t(data[1] % 3),
                                    0, {data[2], data[2], 0, 0}};
    busframe::ReplyScanner scanner(request);
    std::span<const uint8_t> line = input.subspan(3);
    while (!line.empty()) {
        const size_t chunk = std::min<size_t>(line.size(), size_t(line[0] % 13) + 1);
        const auto state = scanner.Feed(line.first(chunk));
        if (state == busframe::ReplyScanner::State::Answered
            && !busframe::Answers(scanner.Answer(), request))
            __builtin_trap();  // a reply to another request must never be taken
        line = line.subspan(chunk);
    }
    return 0;
}
