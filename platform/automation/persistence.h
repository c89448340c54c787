#pragma once
// Persistence of a component's settings: as a byte stream, or as a store of
// named values. The property exchange walks one ordered record, so saving,
// loading and resetting to defaults all read the same list of fields.
#include "variant.h"

#include <QByteArray>
#include <QHash>

#include <cstring>

namespace automation {

class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual std::optional<Variant> read(const QString& name) const = 0;
    virtual void write(const QString& name, const Variant& value) = 0;
};

class MemoryPropertyBag : public PropertyBag {
public:
    std::optional<Variant> read(const QString& name) const override
    {
        auto it = m_values.constFind(name);
        if (it == m_values.constEnd())
            return std::nullopt;
        return *it;
    }
    void write(const QString& name, const Variant& value) override { m_values.insert(name, value); }
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
class DefaultsExchange final : public PropertyExchange {
public:
    bool isLoading() const override { return true; }
    void boolean(const char*, int16_t& v, int16_t d) override { v = d; }
    void shortValue(const char*, int16_t& v, int16_t d) override { v = d; }
    void longValue(const char*, int32_t& v, int32_t d) override { v = d; }
    void ulongValue(const char*, uint32_t& v, uint32_t d) override { v = d; }
};

// Byte-stream form: little-endian, no names, no padding; a boolean is one byte.
class StreamSaveExchange final : public PropertyExchange {
public:
    explicit StreamSaveExchange(QByteArray& out) : m_out(out) {}
    bool isLoading() const override { return false; }
    void boolean(const char*, int16_t& v, int16_t) override { m_out.append(static_cast<char>(v != 0 ? 1 : 0)); }
    void shortValue(const char*, int16_t& v, int16_t) override { append(static_cast<uint16_t>(v), 2); }
    void longValue(const char*, int32_t& v, int32_t) override { append(static_cast<uint32_t>(v), 4); }
    void ulongValue(const char*, uint32_t& v, uint32_t) override { append(v, 4); }

private:
    void append(uint32_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            m_out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    QByteArray& m_out;
};

// Reads the byte-stream form. A field the stream no longer holds takes its
// default, and the reader remembers that the stream ran short.
class StreamLoadExchange final : public PropertyExchange {
public:
    explicit StreamLoadExchange(QByteArrayView in) : m_in(in) {}
    bool isLoading() const override { return true; }
    void boolean(const char*, int16_t& v, int16_t d) override
    {
        uint32_t raw = 0;
        v = take(raw, 1) ? toVariantBool(raw != 0) : d;
    }
    void shortValue(const char*, int16_t& v, int16_t d) override
    {
        uint32_t raw = 0;
        v = take(raw, 2) ? static_cast<int16_t>(static_cast<uint16_t>(raw)) : d;
    }
    void longValue(const char*, int32_t& v, int32_t d) override
    {
        uint32_t raw = 0;
        v = take(raw, 4) ? static_cast<int32_t>(raw) : d;
    }
    void ulongValue(const char*, uint32_t& v, uint32_t d) override
    {
        uint32_t raw = 0;
        v = take(raw, 4) ? raw : d;
    }
    bool ranShort() const { return m_short; }
    qsizetype consumed() const { return m_pos; }

private:
    bool take(uint32_t& out, int bytes)
    {
        if (m_pos + bytes > m_in.size()) {
            m_short = true;
            m_pos = m_in.size();
            return false;
        }
        out = 0;
        for (int i = 0; i < bytes; ++i)
            out |= static_cast<uint32_t>(static_cast<uint8_t>(m_in[m_pos + i])) << (8 * i);
        m_pos += bytes;
        return true;
    }
    QByteArrayView m_in;
    qsizetype m_pos = 0;
    bool m_short = false;
};

// Name-keyed form. A record may use one name for several fields; a store by
// name keeps one value per key, so the n-th use of a name (n >= 2) is kept
// under "name#n". The first use keeps the plain name, which is what a reader
// that knows only the plain names expects to find.
class BagExchangeBase : public PropertyExchange {
protected:
    QString keyFor(const char* name)
    {
        const QString plain = QString::fromLatin1(name);
        const int n = ++m_uses[plain];
        return n == 1 ? plain : plain + QLatin1Char('#') + QString::number(n);
    }

private:
    QHash<QString, int> m_uses;
};

class BagSaveExchange final : public BagExchangeBase {
public:
    explicit BagSaveExchange(PropertyBag& bag) : m_bag(bag) {}
    bool isLoading() const override { return false; }
    void boolean(const char* n, int16_t& v, int16_t) override { m_bag.write(keyFor(n), Variant::fromBool(v != 0)); }
    void shortValue(const char* n, int16_t& v, int16_t) override { m_bag.write(keyFor(n), Variant(v)); }
    void longValue(const char* n, int32_t& v, int32_t) override { m_bag.write(keyFor(n), Variant(v)); }
    void ulongValue(const char* n, uint32_t& v, uint32_t) override
    {
        m_bag.write(keyFor(n), Variant(static_cast<int32_t>(v)));
    }

private:
    PropertyBag& m_bag;
};

class BagLoadExchange final : public BagExchangeBase {
public:
    explicit BagLoadExchange(const PropertyBag& bag) : m_bag(bag) {}
    bool isLoading() const override { return true; }
    void boolean(const char* n, int16_t& v, int16_t d) override
    {
        Variant c;
        v = fetch(n, vtBool, c) ? c.get<BoolValue>()->value : d;
    }
    void shortValue(const char* n, int16_t& v, int16_t d) override
    {
        Variant c;
        v = fetch(n, vtI2, c) ? *c.get<int16_t>() : d;
    }
    void longValue(const char* n, int32_t& v, int32_t d) override
    {
        Variant c;
        v = fetch(n, vtI4, c) ? *c.get<int32_t>() : d;
    }
    void ulongValue(const char* n, uint32_t& v, uint32_t d) override
    {
        Variant c;
        v = fetch(n, vtI4, c) ? static_cast<uint32_t>(*c.get<int32_t>()) : d;
    }

private:
    // A missing or unconvertible value leaves the field at its default.
    bool fetch(const char* name, VarType type, Variant& out)
    {
        const std::optional<Variant> stored = m_bag.read(keyFor(name));
        return stored && succeeded(changeType(*stored, type, out));
    }
    const PropertyBag& m_bag;
};

}  // namespace automation
