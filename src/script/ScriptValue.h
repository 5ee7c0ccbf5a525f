// The values of the script language: a kind and an array of elements, all of
// that kind.  An ordinary value has one element; an empty value has none.
// Every value counts what it holds against its script's memory bound.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "script/ScriptMemory.h"

namespace tamsivane {

class CScriptObject;
class CScriptFunction;

enum class ValueKind : uint8_t { Empty, Number, String, Object, Function };

class CScriptValue {
public:
    using Element = std::variant<int32_t, std::string, CScriptObject*, CScriptFunction*>;

    // Arrays stop short of this many elements.
    static constexpr size_t kMaxElements = 1000000;
    // Strings stop short of this many bytes.
    static constexpr size_t kMaxStringLength = 16u << 20;

    CScriptValue() = default;
    static CScriptValue Number(int32_t number) { return CScriptValue(ValueKind::Number, number); }
    static CScriptValue String(std::string text) {
        return CScriptValue(ValueKind::String, std::move(text));
    }
    static CScriptValue Object(CScriptObject* object) {
        return CScriptValue(ValueKind::Object, object);
    }
    static CScriptValue Function(CScriptFunction* function) {
        return CScriptValue(ValueKind::Function, function);
    }

    ValueKind Kind() const { return kind_; }
    size_t Size() const { return elements_.size(); }
    bool IsSingle() const { return elements_.size() == 1; }
    const Element& At(size_t index) const { return elements_[index]; }

    // The one element of a single value (caller checked IsSingle and Kind).
    int32_t NumberAt(size_t index = 0) const { return std::get<int32_t>(elements_[index]); }
    const std::string& StringAt(size_t index = 0) const {
        return std::get<std::string>(elements_[index]);
    }
    CScriptObject* ObjectAt(size_t index = 0) const {
        return std::get<CScriptObject*>(elements_[index]);
    }
    CScriptFunction* FunctionAt(size_t index = 0) const {
        return std::get<CScriptFunction*>(elements_[index]);
    }

    // Element index as a single value.
    CScriptValue ElementValue(size_t index) const { return CScriptValue(kind_, elements_[index]); }
    // Stores element index, growing the array with never-assigned elements
    // (0, the empty string, none) of the value's kind; a value without
    // elements first takes kind.  The caller keeps index below kMaxElements.
    void SetElement(size_t index, ValueKind kind, Element element);

private:
    template <typename T>
    CScriptValue(ValueKind kind, T element) : kind_(kind), charge_(Footprint(element)) {
        elements_.emplace_back(std::move(element));
    }
    // What one element holds, for the script's memory count.
    static size_t Footprint(const Element& element) {
        const std::string* text = std::get_if<std::string>(&element);
        return sizeof(Element) + (text ? text->size() : 0);
    }

    ValueKind kind_ = ValueKind::Empty;
    MemoryCharge charge_; // before the elements, so that it is counted first
    std::vector<Element> elements_;
};

} // namespace tamsivane
