#include "ui/zrBoundControlQt.h"

#include <QMetaEnum>
#include <QVariant>
#include <stdexcept>

#include "ui/zrFormBase.h"

namespace vantile::ui {

namespace {

bool IsIntegerType(int typeId) {
    switch (typeId) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}

// Key of an enumeration value by its ordinal (position among the keys).
int OrdinalOf(const QMetaEnum& e, int value) {
    for (int i = 0; i < e.keyCount(); ++i) {
        if (e.value(i) == value) {
            return i;
        }
    }
    throw std::runtime_error("value outside the enumeration");
}

}  // namespace

void MarkBound(QObject* control, const char* prop) {
    control->setProperty("Hint", QString::fromLatin1(prop));
    control->setProperty("Tag", -1);
}

std::string TzrBoundControlQt::Name() const {
    return FControl ? us(FControl->objectName()) : std::string();
}

std::string TzrBoundControlQt::Hint() const {
    return FControl ? us(FControl->property("Hint").toString()) : std::string();
}

std::int64_t TzrBoundControlQt::Tag() const {
    return FControl ? FControl->property("Tag").toLongLong() : 0;
}

void TzrBoundControlQt::SetTag(std::int64_t Value) {
    if (FControl) {
        FControl->setProperty("Tag", QVariant::fromValue<qlonglong>(Value));
    }
}

QMetaProperty TzrBoundControlQt::Property(const std::string& Prop) const {
    if (!FControl) {
        throw std::runtime_error("the control is gone");
    }
    const QString wanted = qs(Prop);
    const QMetaObject* mo = FControl->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        QMetaProperty p = mo->property(i);
        if (QString::fromLatin1(p.name()).compare(wanted, Qt::CaseInsensitive) == 0) {
            return p;
        }
    }
    throw std::runtime_error("no such property: " + Prop);
}

std::optional<TzrPropInfo> TzrBoundControlQt::FindProp(const std::string& Prop) const {
    QMetaProperty p;
    try {
        p = Property(Prop);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!p.isReadable()) {
        return std::nullopt;
    }
    TzrPropInfo info;
    const int type = p.metaType().id();
    if (type == QMetaType::Bool) {
        info.Kind = TzrPropKind::Enumeration;
        info.ValueNames = {"False", "True"};
    } else if (p.isEnumType() && !p.isFlagType()) {
        info.Kind = TzrPropKind::Enumeration;
        const QMetaEnum e = p.enumerator();
        for (int i = 0; i < e.keyCount(); ++i) {
            info.ValueNames.emplace_back(e.key(i));
        }
    } else if (IsIntegerType(type)) {
        info.Kind = TzrPropKind::Integer;
    } else if (type == QMetaType::QString) {
        info.Kind = TzrPropKind::Text;
    } else {
        info.Kind = TzrPropKind::Other;
    }
    return info;
}

std::int64_t TzrBoundControlQt::GetOrdProp(const std::string& Prop) const {
    const QMetaProperty p = Property(Prop);
    const QVariant v = p.read(FControl);
    if (p.metaType().id() == QMetaType::Bool) {
        return v.toBool() ? 1 : 0;
    }
    if (p.isEnumType()) {
        return OrdinalOf(p.enumerator(), v.toInt());
    }
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok) {
        throw std::runtime_error("not an ordinal property: " + Prop);
    }
    return n;
}

void TzrBoundControlQt::SetOrdProp(const std::string& Prop, std::int64_t Value) {
    const QMetaProperty p = Property(Prop);
    QVariant v;
    if (p.metaType().id() == QMetaType::Bool) {
        if (Value != 0 && Value != 1) {
            throw std::runtime_error("not a Boolean ordinal");
        }
        v = QVariant(Value == 1);
    } else if (p.isEnumType()) {
        const QMetaEnum e = p.enumerator();
        if (Value < 0 || Value >= e.keyCount()) {
            throw std::runtime_error("ordinal outside the enumeration");
        }
        v = QVariant(e.value(static_cast<int>(Value)));
    } else {
        v = QVariant::fromValue<qlonglong>(Value);
    }
    if (!p.isWritable() || !p.write(FControl, v)) {
        throw std::runtime_error("property not written: " + Prop);
    }
}

std::string TzrBoundControlQt::GetStrProp(const std::string& Prop) const {
    const QMetaProperty p = Property(Prop);
    return us(p.read(FControl).toString());
}

void TzrBoundControlQt::SetStrProp(const std::string& Prop, const std::string& Value) {
    const QMetaProperty p = Property(Prop);
    // Only properties that hold text take a text.
    if (p.metaType().id() != QMetaType::QString) {
        return;
    }
    if (!p.isWritable() || !p.write(FControl, QVariant(qs(Value)))) {
        throw std::runtime_error("property not written: " + Prop);
    }
}

}  // namespace vantile::ui
