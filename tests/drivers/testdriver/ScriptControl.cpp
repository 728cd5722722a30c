#include "ScriptControl.h"

namespace testdriver {

Script& CurrentScript()
{
    static Script script;
    return script;
}

std::vector<Call>& Calls()
{
    static std::vector<Call> calls;
    return calls;
}

void Reset()
{
    CurrentScript() = Script{};
    Calls().clear();
}

std::vector<Call> CallsTo(const std::string& entry)
{
    std::vector<Call> selected;
    for (const Call& call : Calls()) {
        if (call.entry == entry)
            selected.push_back(call);
    }
    return selected;
}

} // namespace testdriver
