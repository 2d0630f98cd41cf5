#include "tests/support/fake_world.h"

#include <cstdint>

namespace fake {
namespace {

World theWorld;

}  // namespace

World::World() { drivers.push_back(Driver{true, {}, "Primary Display Driver", true, true}); }

World::~World() = default;

World& TheWorld() { return theWorld; }

World& Reset() {
    theWorld = World();
    return theWorld;
}

void World::Fail(std::string call, HRESULT result, int times) {
    rules_.push_back(Rule{std::move(call), SIZE_MAX, result, times});
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

int World::Live() const { return static_cast<int>(LiveNames().size()); }

std::vector<std::string> World::LiveNames() const {
    std::vector<std::string> names;
    for (const auto& object : objects_) {
        if (!object->IsFreed()) {
            names.push_back(object->Name());
        }
    }
    return names;
}

std::string World::NextName(const std::string& kind) {
    for (auto& [name, count] : counters_) {
        if (name == kind) {
            return kind + std::to_string(++count);
        }
    }
    counters_.emplace_back(kind, 1);
    return kind + "1";
}

bool World::Named(const Object& object, std::string_view name) { return object.Name() == name; }

bool World::Matches(const std::string& rule, std::string_view object, std::string_view method,
                    std::string_view detail) {
    std::string_view wanted = rule;
    if (const size_t dot = wanted.find('.'); dot != std::string_view::npos) {
        if (wanted.substr(0, dot) != object) {
            return false;
        }
        wanted.remove_prefix(dot + 1);
    }
    if (wanted == method) {
        return true;
    }
    return wanted.size() == method.size() + 1 + detail.size() && wanted.starts_with(method) &&
           wanted[method.size()] == ' ' && wanted.ends_with(detail);
}

HRESULT World::Record(std::string_view object, std::string_view method, std::string_view detail) {
    const size_t number = callCount_++;
    if (recording) {
        std::string entry;
        if (!object.empty()) {
            entry.append(object).append(".");
        }
        entry.append(method);
        if (!detail.empty()) {
            entry.append(" ").append(detail);
        }
        log.push_back(std::move(entry));
    }
    for (Rule& rule : rules_) {
        const bool applies =
            rule.number == SIZE_MAX ? Matches(rule.call, object, method, detail) : rule.number == number;
        if (applies && rule.remaining != 0) {
            if (rule.remaining > 0) {
                --rule.remaining;
            }
            return rule.result;
        }
    }
    return S_OK;
}

HRESULT Object::Call(std::string_view method, std::string_view detail) const {
    World& world = TheWorld();
    if (IsFreed()) {
        world.faults.push_back(name_ + "." + std::string(method) + " after the last Release");
    }
    return world.Record(name_, method, detail);
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
    if (--refs_ == 0) {
        if (world.recording) {
            world.freed.push_back(name_);
        }
    }
    return refs_;
}

}  // namespace fake
