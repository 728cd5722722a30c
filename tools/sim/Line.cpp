#include "Line.h"

#include <algorithm>

namespace sim {

namespace {

// Characters sent at once on a two-wire line: a bit reads as 1 only where every sender sends
// 1 (the idle level). The result is never taken for a frame, however the bits fell.
Response Collision(const std::vector<Response>& answers)
{
    if (std::all_of(answers.begin(), answers.end(),
                    [](const Response& answer) { return answer.kind == Response::Kind::Echo; }))
        return answers.front();  // the line's echo of the request, once
    Response collided = answers.front();
    collided.kind = Response::Kind::Reply;
    for (const Response& answer : std::span(answers).subspan(1)) {
        if (answer.bytes.size() > collided.bytes.size())
            collided.bytes.resize(answer.bytes.size(), 0xFF);
        for (size_t i = 0; i < answer.bytes.size(); ++i)
            collided.bytes[i] &= answer.bytes[i];
        collided.delay = std::max(collided.delay, answer.delay);
        collided.characterTime = std::max(collided.characterTime, answer.characterTime);
        collided.late = collided.late && answer.late;
    }
    if (busframe::DecodeReply(collided.bytes) || busframe::DecodeRequest(collided.bytes))
        collided.bytes.back() ^= 0x5A;
    return collided;
}

} // namespace

Response Line::Receive(std::span<const uint8_t> frame, uint32_t speed) const
{
    std::vector<Response> answers;
    for (Module* module : modules_) {
        Response answer = module->Receive(frame, speed);
        if (answer.kind != Response::Kind::Silent)
            answers.push_back(std::move(answer));
    }
    if (answers.empty())
        return {};
    if (answers.size() == 1)
        return std::move(answers.front());
    return Collision(answers);
}

Counters Line::GetCounters() const
{
    if (modules_.empty())
        return {};
    // Each module counts every frame on the line; the replies are each module's own.
    Counters line = modules_.front()->GetCounters();
    line.replies = 0;
    for (const Module* module : modules_)
        line.replies += module->GetCounters().replies;
    return line;
}

PlacedModules::PlacedModules(const std::vector<PlacedModule>& placed)
{
    for (const PlacedModule& entry : placed) {
        modules_.push_back(std::make_unique<Module>(entry.model, entry.address));
        modules_.back()->SetBusSpeed(entry.baud);
    }
}

Line PlacedModules::OnOneLine() const
{
    std::vector<Module*> line;
    for (const auto& module : modules_)
        line.push_back(module.get());
    return Line(std::move(line));
}

} // namespace sim
