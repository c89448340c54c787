#pragma once
// Persistence of a component's settings: as a byte stream, or as a store of
// named values. The property exchange walks one ordered record, so saving,
// loading and resetting to defaults all read the same list of fields.
#include "variant.h"

#include <QByteArray>
#include <QHash>

namespace automation {

class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual std::optional<Variant> read(const QString& name) const = 0;
    virtual void write(const QString& name, const Variant& value) = 0;
};

class AUTOMATION_EXPORT MemoryPropertyBag : public PropertyBag {
public:
    std::optional<Variant> read(const QString& name) const override;
    void write(const QString& name, const Variant& value) override;
    const QHash<QString, Variant>& values() const { return m_values; }

private:
    QHash<QString, Variant> m_values;
};

class PersistStreamInit {
public:
    virtual ~PersistStreamInit() = default;
    virtual HResult initNew() = 0;
    virtual HResult load(QByteArrayView stream) = 0;
    virtual HResult save(QByteArray& stream) = 0;
    // ok when the settings changed since the last load, reset or save,
    // falseResult when they did not. A component that does not track it
    // always asks to be saved.
    virtual HResult isDirty() const { return hr::ok; }
};

class PersistPropertyBag {
public:
    virtual ~PersistPropertyBag() = default;
    virtual HResult initNew() = 0;
    virtual HResult load(const PropertyBag& bag) = 0;
    virtual HResult save(PropertyBag& bag) = 0;
};

// One pass over a record. Booleans are the 16-bit automation booleans.
class PropertyExchange {
public:
    virtual ~PropertyExchange() = default;
    virtual bool isLoading() const = 0;
    virtual void boolean(const char* name, int16_t& value, int16_t defaultValue) = 0;
    virtual void shortValue(const char* name, int16_t& value, int16_t defaultValue) = 0;
    virtual void longValue(const char* name, int32_t& value, int32_t defaultValue) = 0;
    virtual void ulongValue(const char* name, uint32_t& value, uint32_t defaultValue) = 0;
};

// Reset: every field takes its default.
class AUTOMATION_EXPORT DefaultsExchange final : public PropertyExchange {
public:
    bool isLoading() const override { return true; }
    void boolean(const char*, int16_t& v, int16_t d) override;
    void shortValue(const char*, int16_t& v, int16_t d) override;
    void longValue(const char*, int32_t& v, int32_t d) override;
    void ulongValue(const char*, uint32_t& v, uint32_t d) override;
};

// Byte-stream form: little-endian, no names, no padding; a boolean is one byte.
class AUTOMATION_EXPORT StreamSaveExchange final : public PropertyExchange {
public:
    explicit StreamSaveExchange(QByteArray& out) : m_out(out) {}
    bool isLoading() const override { return false; }
    void boolean(const char*, int16_t& v, int16_t) override;
    void shortValue(const char*, int16_t& v, int16_t) override;
    void longValue(const char*, int32_t& v, int32_t) override;
    void ulongValue(const char*, uint32_t& v, uint32_t) override;

private:
    void append(uint32_t v, int bytes);
    QByteArray& m_out;
};

// Reads the byte-stream form. A field the stream no longer holds takes its
// default, and the reader remembers that the stream ran short.
class AUTOMATION_EXPORT StreamLoadExchange final : public PropertyExchange {
public:
    explicit StreamLoadExchange(QByteArrayView in) : m_in(in) {}
    bool isLoading() const override { return true; }
    void boolean(const char*, int16_t& v, int16_t d) override;
    void shortValue(const char*, int16_t& v, int16_t d) override;
    void longValue(const char*, int32_t& v, int32_t d) override;
    void ulongValue(const char*, uint32_t& v, uint32_t d) override;
    bool ranShort() const { return m_short; }

private:
    bool take(uint32_t& out, int bytes);
    QByteArrayView m_in;
    qsizetype m_pos = 0;
    bool m_short = false;
};

// Name-keyed form. A record may use one name for several fields; a store by
// name keeps one value per key, so the n-th use of a name (n >= 2) is kept
// under "name#n". The first use keeps the plain name, which is what a reader
// that knows only the plain names expects to find.
class AUTOMATION_EXPORT BagExchangeBase : public PropertyExchange {
public:
    ~BagExchangeBase() override;  // out of line: the layer alone holds the class's table

protected:
    QString keyFor(const char* name);

private:
    QHash<QString, int> m_uses;
};

class AUTOMATION_EXPORT BagSaveExchange final : public BagExchangeBase {
public:
    explicit BagSaveExchange(PropertyBag& bag) : m_bag(bag) {}
    bool isLoading() const override { return false; }
    void boolean(const char* n, int16_t& v, int16_t) override;
    void shortValue(const char* n, int16_t& v, int16_t) override;
    void longValue(const char* n, int32_t& v, int32_t) override;
    void ulongValue(const char* n, uint32_t& v, uint32_t) override;

private:
    PropertyBag& m_bag;
};

class AUTOMATION_EXPORT BagLoadExchange final : public BagExchangeBase {
public:
    explicit BagLoadExchange(const PropertyBag& bag) : m_bag(bag) {}
    bool isLoading() const override { return true; }
    void boolean(const char* n, int16_t& v, int16_t d) override;
    void shortValue(const char* n, int16_t& v, int16_t d) override;
    void longValue(const char* n, int32_t& v, int32_t d) override;
    void ulongValue(const char* n, uint32_t& v, uint32_t d) override;

private:
    // A missing or unconvertible value leaves the field at its default.
    bool fetch(const char* name, VarType type, Variant& out);
    const PropertyBag& m_bag;
};

}  // namespace automation
