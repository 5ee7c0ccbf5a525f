#include "script/ScriptValue.h"

namespace tamsivane {

void CScriptValue::SetElement(size_t index, ValueKind kind, Element element) {
    // Counted before anything changes: a value that does not fit stays as it was.
    size_t bytes = charge_.Bytes() + Footprint(element);
    size_t replaced = 0;
    if (index < elements_.size()) {
        replaced = Footprint(elements_[index]);
    } else {
        bytes += (index - elements_.size()) * sizeof(Element);
    }
    // A value made outside any count holds none.
    charge_.Change(bytes > replaced ? bytes - replaced : 0);
    if (elements_.empty()) kind_ = kind;
    if (index >= elements_.size()) {
        Element blank;
        switch (kind_) {
        case ValueKind::String:
            blank = std::string();
            break;
        case ValueKind::Object:
            blank = static_cast<CScriptObject*>(nullptr);
            break;
        case ValueKind::Function:
            blank = static_cast<CScriptFunction*>(nullptr);
            break;
        default:
            blank = int32_t{0};
            break;
        }
        elements_.resize(index + 1, blank);
    }
    elements_[index] = std::move(element);
}

} // namespace tamsivane
