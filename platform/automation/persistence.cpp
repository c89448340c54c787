#include "persistence.h"

namespace automation {

std::optional<Variant> MemoryPropertyBag::read(const QString& name) const
{
    auto it = m_values.constFind(name);
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

void MemoryPropertyBag::write(const QString& name, const Variant& value) { m_values.insert(name, value); }

void DefaultsExchange::boolean(const char*, int16_t& v, int16_t d) { v = d; }
void DefaultsExchange::shortValue(const char*, int16_t& v, int16_t d) { v = d; }
void DefaultsExchange::longValue(const char*, int32_t& v, int32_t d) { v = d; }
void DefaultsExchange::ulongValue(const char*, uint32_t& v, uint32_t d) { v = d; }

void StreamSaveExchange::boolean(const char*, int16_t& v, int16_t) { m_out.append(static_cast<char>(v != 0 ? 1 : 0)); }
void StreamSaveExchange::shortValue(const char*, int16_t& v, int16_t) { append(static_cast<uint16_t>(v), 2); }
void StreamSaveExchange::longValue(const char*, int32_t& v, int32_t) { append(static_cast<uint32_t>(v), 4); }
void StreamSaveExchange::ulongValue(const char*, uint32_t& v, uint32_t) { append(v, 4); }

void StreamSaveExchange::append(uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        m_out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void StreamLoadExchange::boolean(const char*, int16_t& v, int16_t d)
{
    uint32_t raw = 0;
    v = take(raw, 1) ? toVariantBool(raw != 0) : d;
}

void StreamLoadExchange::shortValue(const char*, int16_t& v, int16_t d)
{
    uint32_t raw = 0;
    v = take(raw, 2) ? static_cast<int16_t>(static_cast<uint16_t>(raw)) : d;
}

void StreamLoadExchange::longValue(const char*, int32_t& v, int32_t d)
{
    uint32_t raw = 0;
    v = take(raw, 4) ? static_cast<int32_t>(raw) : d;
}

void StreamLoadExchange::ulongValue(const char*, uint32_t& v, uint32_t d)
{
    uint32_t raw = 0;
    v = take(raw, 4) ? raw : d;
}

bool StreamLoadExchange::take(uint32_t& out, int bytes)
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

BagExchangeBase::~BagExchangeBase() = default;

QString BagExchangeBase::keyFor(const char* name)
{
    const QString plain = QString::fromLatin1(name);
    const int n = ++m_uses[plain];
    return n == 1 ? plain : plain + QLatin1Char('#') + QString::number(n);
}

void BagSaveExchange::boolean(const char* n, int16_t& v, int16_t) { m_bag.write(keyFor(n), Variant::fromBool(v != 0)); }
void BagSaveExchange::shortValue(const char* n, int16_t& v, int16_t) { m_bag.write(keyFor(n), Variant(v)); }
void BagSaveExchange::longValue(const char* n, int32_t& v, int32_t) { m_bag.write(keyFor(n), Variant(v)); }
void BagSaveExchange::ulongValue(const char* n, uint32_t& v, uint32_t)
{
    m_bag.write(keyFor(n), Variant(static_cast<int32_t>(v)));
}

void BagLoadExchange::boolean(const char* n, int16_t& v, int16_t d)
{
    Variant c;
    v = fetch(n, vtBool, c) ? c.get<BoolValue>()->value : d;
}

void BagLoadExchange::shortValue(const char* n, int16_t& v, int16_t d)
{
    Variant c;
    v = fetch(n, vtI2, c) ? *c.get<int16_t>() : d;
}

void BagLoadExchange::longValue(const char* n, int32_t& v, int32_t d)
{
    Variant c;
    v = fetch(n, vtI4, c) ? *c.get<int32_t>() : d;
}

void BagLoadExchange::ulongValue(const char* n, uint32_t& v, uint32_t d)
{
    Variant c;
    v = fetch(n, vtI4, c) ? static_cast<uint32_t>(*c.get<int32_t>()) : d;
}

bool BagLoadExchange::fetch(const char* name, VarType type, Variant& out)
{
    const std::optional<Variant> stored = m_bag.read(keyFor(name));
    return stored && succeeded(changeType(*stored, type, out));
}

}  // namespace automation
