#pragma once
// A window control as a bound control of the project: its properties are Qt
// properties found by name without regard to letter case; the property name of
// the binding and the cache marker live in the dynamic properties "Hint" and "Tag".

#include <QMetaProperty>
#include <QPointer>

#include "project/zrPropList.h"

namespace vantile::ui {

// Marks a control as bound through the property Prop ("Text", "Checked"), not
// bound yet (Tag -1).
void MarkBound(QObject* control, const char* prop);

class TzrBoundControlQt : public TzrBoundControl {
  public:
    explicit TzrBoundControlQt(QObject* control) : FControl(control) {}

    std::string Name() const override;
    std::string Hint() const override;
    std::int64_t Tag() const override;
    void SetTag(std::int64_t Value) override;

    std::optional<TzrPropInfo> FindProp(const std::string& Prop) const override;
    std::int64_t GetOrdProp(const std::string& Prop) const override;
    void SetOrdProp(const std::string& Prop, std::int64_t Value) override;
    std::string GetStrProp(const std::string& Prop) const override;
    void SetStrProp(const std::string& Prop, const std::string& Value) override;

    QObject* Control() const { return FControl; }

  private:
    // The property of that name (letter case ignored); throws when the control
    // is gone or has none.
    QMetaProperty Property(const std::string& Prop) const;

    QPointer<QObject> FControl;
};

}  // namespace vantile::ui
