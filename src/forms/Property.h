// VB-style properties: a control's value that reads and assigns like a field, tells its owner when it
// changes (so a renderer can show it), and may run a setter with side effects (events, range checks).
#pragma once

#include "PropertyId.h"

#include <functional>
#include <string_view>
#include <utility>

namespace glw::forms {

// Receives every property change of the object that owns the properties.
class PropertyOwner {
public:
    virtual void propertyChanged(PropertyId id) = 0;

protected:
    ~PropertyOwner() = default;
};

// A property of type T. `Text1.Text = "x"` assigns through the setter (if any), `std::string s = Text1.Text`
// and `Text1.Text()` read. The setter receives the property and the new value and decides what to store
// (with store()) and which events to raise; without one, assignment stores and notifies.
template <class T> class Property {
public:
    using Setter = std::function<void(Property&, T)>;

    Property(PropertyOwner& owner, PropertyId id, T initial = T{}, Setter setter = {})
        : m_owner(owner), m_id(id), m_value(std::move(initial)), m_setter(std::move(setter)) {}
    Property(const Property&) = delete;

    operator const T&() const { return m_value; }
    const T& operator()() const { return m_value; }
    const T& get() const { return m_value; }

    Property& operator=(T value) {
        if (m_setter) {
            m_setter(*this, std::move(value));
        } else {
            store(std::move(value));
        }
        return *this;
    }
    Property& operator=(const Property& other) { return *this = T(other.m_value); }

    // Stores without running the setter; notifies the owner when the value changed. Returns whether it did.
    bool store(T value) {
        if (value == m_value) {
            return false;
        }
        m_value = std::move(value);
        m_owner.propertyChanged(m_id);
        return true;
    }

    PropertyId id() const { return m_id; }

    friend bool operator==(const Property& a, const T& b) { return a.m_value == b; }

private:
    PropertyOwner& m_owner;
    PropertyId m_id;
    T m_value;
    Setter m_setter;
};

} // namespace glw::forms
