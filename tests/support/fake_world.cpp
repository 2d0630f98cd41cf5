#include "tests/support/fake_world.h"

namespace fake {
namespace {

World theWorld;

// "Method", "Method detail", "object.Method" or "object.Method detail".
bool Matches(std::string_view rule, std::string_view object, std::string_view method,
             std::string_view detail) {
    if (const size_t dot = rule.find('.'); dot != std::string_view::npos) {
        if (rule.substr(0, dot) != object) {
            return false;
        }
        rule.remove_prefix(dot + 1);
    }
    return rule == method || (rule.size() == method.size() + 1 + detail.size() && rule.starts_with(method) &&
                              rule[method.size()] == ' ' && rule.ends_with(detail));
}

}  // namespace

World& TheWorld() { return theWorld; }

World& Reset() {
    theWorld = World();
    return theWorld;
}

World::World() { drivers.push_back(Driver{true, {}, "Primary Display Driver", true, true}); }

void World::Fail(std::string call, HRESULT result, int times) {
    rules_.push_back(Rule{std::move(call), 0, result, times});
}

void World::FailCallNumber(size_t index, HRESULT result) { rules_.push_back(Rule{"", index, result, 1}); }

void World::Succeed(const std::string& call) {
    std::erase_if(rules_, [&](const Rule& rule) { return rule.call == call; });
}

void World::Note(const std::string& event) {
    if (recording) {
        log.push_back(event);
    }
}

std::vector<std::string> World::LiveNames() const {
    std::vector<std::string> names;
    for (const auto& object : objects_) {
        if (!object->IsFreed()) {
            names.push_back(object->Name());
        }
    }
    return names;
}

HRESULT World::Record(std::string_view object, std::string_view method, std::string_view detail) {
    const size_t number = calls_++;
    if (recording) {
        std::string entry = object.empty() ? std::string() : std::string(object) + ".";
        entry.append(method);
        if (!detail.empty()) {
            entry.append(" ").append(detail);
        }
        log.push_back(std::move(entry));
    }
    for (Rule& rule : rules_) {
        const bool applies =
            rule.call.empty() ? rule.number == number : Matches(rule.call, object, method, detail);
        if (applies && rule.remaining != 0) {
            rule.remaining -= rule.remaining > 0 ? 1 : 0;
            return rule.result;
        }
    }
    return S_OK;
}

HRESULT Object::Call(std::string_view method, std::string_view detail) const {
    if (IsFreed()) {
        TheWorld().faults.push_back(name_ + "." + std::string(method) + " after the last Release");
    }
    return TheWorld().Record(name_, method, detail);
}

ULONG Object::CountAddRef() {
    Call("AddRef");
    return ++refs_;
}

ULONG Object::CountRelease() {
    World& world = TheWorld();
    if (world.recording) {
        world.releases.push_back(name_);
    }
    if (refs_ == 0) {
        world.faults.push_back(name_ + ".Release once too often");
        world.Record(name_, "Release");
        return 0;
    }
    Call("Release");
    if (--refs_ == 0 && world.recording) {
        world.freed.push_back(name_);
    }
    return refs_;
}

}  // namespace fake
