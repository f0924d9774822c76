#pragma once
// A bound control for the tests: named properties of fixed kinds held in memory.

#include <map>
#include <stdexcept>

#include "project/zrPropList.h"

namespace vantile::test {

class FakeControl : public TzrBoundControl {
  public:
    FakeControl(std::string name, std::string hint) : m_name(std::move(name)), m_hint(std::move(hint)) {}

    // An edit field ("Text") or a check box ("Checked").
    static FakeControl Edit(const std::string& name) {
        FakeControl c(name, "Text");
        c.addText("Text");
        return c;
    }
    static FakeControl Check(const std::string& name) {
        FakeControl c(name, "Checked");
        c.addBool("Checked");
        return c;
    }

    void addText(const std::string& prop, std::string value = {}) {
        m_props[prop] = {TzrPropKind::Text, {}, 0, value};
    }
    void addBool(const std::string& prop, bool value = false) {
        m_props[prop] = {TzrPropKind::Enumeration, {"False", "True"}, value ? 1 : 0, {}};
    }
    void addInt(const std::string& prop, std::int64_t value) {
        m_props[prop] = {TzrPropKind::Integer, {}, value, {}};
    }
    void addOther(const std::string& prop, std::string shown) {
        m_props[prop] = {TzrPropKind::Other, {}, 0, shown};
    }
    void failAll() { m_fail = true; }

    std::string text(const std::string& prop) const { return m_props.at(prop).str; }
    std::int64_t ord(const std::string& prop) const { return m_props.at(prop).ord; }

    std::string Name() const override { return m_name; }
    std::string Hint() const override { return m_hint; }
    std::int64_t Tag() const override { return m_tag; }
    void SetTag(std::int64_t value) override { m_tag = value; }

    std::optional<TzrPropInfo> FindProp(const std::string& prop) const override {
        const Prop* p = find(prop);
        if (!p)
            return std::nullopt;
        return TzrPropInfo{p->kind, p->names};
    }
    std::int64_t GetOrdProp(const std::string& prop) const override { return get(prop).ord; }
    void SetOrdProp(const std::string& prop, std::int64_t value) override { get(prop).ord = value; }
    std::string GetStrProp(const std::string& prop) const override { return get(prop).str; }
    void SetStrProp(const std::string& prop, const std::string& value) override { get(prop).str = value; }

  private:
    struct Prop {
        TzrPropKind kind;
        std::vector<std::string> names;
        std::int64_t ord;
        std::string str;
    };
    // Property names match without regard to letter case, as the window's do.
    const Prop* find(const std::string& prop) const {
        for (const auto& [name, p] : m_props)
            if (name.size() == prop.size() &&
                std::equal(name.begin(), name.end(), prop.begin(),
                           [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                return &p;
        return nullptr;
    }
    Prop& get(const std::string& prop) const {
        if (m_fail)
            throw std::runtime_error("property access failed");
        const Prop* p = find(prop);
        if (!p)
            throw std::runtime_error("no property " + prop);
        return const_cast<Prop&>(*p);
    }

    std::string m_name;
    std::string m_hint;
    std::int64_t m_tag = -1;
    bool m_fail = false;
    mutable std::map<std::string, Prop> m_props;
};

}  // namespace vantile::test
