// The state every DirectX fake shares: the objects that exist, the log of
// every call in order, the failures a test asked for, and every release.
// One world per process, because the creation seams take plain functions;
// Reset() empties it. The world owns every fake until then, so a test can
// look at an object after its last Release; a call on it after that is a fault.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/d3d/d3d.h"

namespace fake {

// What every fake is: a name in the world and a real reference count.
class Object {
  public:
    explicit Object(std::string name) : name_(std::move(name)) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    const std::string& Name() const { return name_; }
    ULONG References() const { return refs_; }
    bool IsFreed() const { return refs_ == 0; }

  protected:
    // Logs the call and returns the result a rule chose for it, or S_OK.
    HRESULT Call(std::string_view method, std::string_view detail = {}) const;
    // The result of Call, running `then` first when it succeeded.
    template <class Then>
    HRESULT Call(std::string_view method, std::string_view detail, Then then) const {
        const HRESULT result = Call(method, detail);
        if (SUCCEEDED(result)) {
            then();
        }
        return result;
    }
    ULONG CountAddRef();
    ULONG CountRelease();

  private:
    std::string name_;
    ULONG refs_ = 1;
};

// The IUnknown part of every fake: counted references, no interface hops.
template <class Interface>
class Counted : public Interface, public Object {
  public:
    using Object::Object;
    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        const HRESULT result = Call("QueryInterface");
        return FAILED(result) ? result : E_NOINTERFACE;
    }
    ULONG AddRef() override { return CountAddRef(); }
    ULONG Release() override { return CountRelease(); }
};

// A driver as DirectDrawEnumerateExA reports it.
struct Driver {
    bool nullGuid = false;
    GUID guid{};
    std::string description;
    bool creatable = true;    // DirectDrawCreate succeeds for it
    bool hasVersion4 = true;  // QueryInterface(IID_IDirectDraw4) succeeds
};

class World {
  public:
    World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    World& operator=(World&&) = default;

    // Every call as "object.Method[ detail]" ("Method" for the creation
    // entries), AddRef and Release included, with Note()s in between.
    std::vector<std::string> log;
    std::vector<std::string> releases;  // the object of every Release call, in order
    std::vector<std::string> freed;     // objects whose last reference went, in order
    std::vector<std::string> faults;    // calls after the last Release, releases past zero
    bool recording = true;              // false: nothing logged or kept (benchmarks)

    // What the machine offers.
    std::vector<Driver> drivers;            // the primary display driver to begin with
    bool hardware = false;                  // a 3D card: HAL enumeration and device succeed
    std::vector<DDPIXELFORMAT> halFormats;  // the depth formats the HAL offers
    DWORD redMask = 0xF800;                 // the screen's pixel layout, for every surface
    DWORD greenMask = 0x07E0;
    DWORD blueMask = 0x001F;
    std::vector<std::string> createdWith;  // "null" or the GUID's Data1, per DirectDrawCreate
    int enumerationStoppedAt = -1;         // the driver whose callback answered FALSE

    // Calls matching `call` ("Method", "Method detail", "object.Method" or
    // "object.Method detail") fail with `result`: the next `times`, or all.
    void Fail(std::string call, HRESULT result, int times = -1);
    // The call numbered `index` (from 0, in the order calls are made) fails.
    void FailCallNumber(size_t index, HRESULT result);
    void Succeed(const std::string& call);  // forgets every rule for `call`
    // An event of the test's own (a message box, say), logged between the calls.
    void Note(const std::string& event);

    std::vector<std::string> LiveNames() const;  // objects made and not yet freed

    // A fake the world owns: Make<Device>("device").
    template <class T, class... Args>
    T& Make(Args&&... args) {
        objects_.push_back(std::make_unique<T>(std::forward<Args>(args)...));
        return static_cast<T&>(*objects_.back());
    }
    // The latest object of that name and type; throws when there is none.
    template <class T>
    T& Get(std::string_view name) const {
        for (auto it = objects_.rbegin(); it != objects_.rend(); ++it) {
            if (auto* object = dynamic_cast<T*>(it->get()); object != nullptr && object->Name() == name) {
                return *object;
            }
        }
        throw std::out_of_range("no fake named " + std::string(name));
    }
    // "light" -> "light1", "light2", ...: names for objects made in numbers.
    std::string NextName(const std::string& kind) { return kind + std::to_string(++counts_[kind]); }

    // Logs a call and returns the result a rule chose for it, or S_OK.
    HRESULT Record(std::string_view object, std::string_view method, std::string_view detail = {});

  private:
    struct Rule {
        std::string call;  // empty: by number
        size_t number;
        HRESULT result;
        int remaining;  // negative: every time
    };

    std::vector<std::unique_ptr<Object>> objects_;
    std::vector<Rule> rules_;
    std::map<std::string, int> counts_;
    size_t calls_ = 0;
};

// The world the fakes act on; Reset() destroys its objects and starts afresh.
World& TheWorld();
World& Reset();

}  // namespace fake
