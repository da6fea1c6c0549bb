#pragma once
// A holder of owned objects, emptied once per frame step and at shutdown.
#include <memory>
#include <vector>

namespace Kivo {

class dataManager {
public:
    class Object {
    public:
        virtual ~Object() = default;
    };

    virtual ~dataManager() = default;

    void Add(std::unique_ptr<Object> object) { mObjects.push_back(std::move(object)); }
    // Deletes every held object and empties the list.
    void Clear() { mObjects.clear(); }
    size_t Count() const { return mObjects.size(); }

private:
    std::vector<std::unique_ptr<Object>> mObjects;
};

// The process-wide instance.
dataManager& GetDataManager();

} // namespace Kivo
