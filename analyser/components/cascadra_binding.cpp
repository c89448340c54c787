#include "cascadra_binding.h"

#include <interfaces/cascadra.h>

namespace vellarin {

using namespace automation;
namespace id = cascadra::dispid;

int32_t CascadraBinding::scrollDirection() { return toLong(get(id::ScrollDirection)); }
void CascadraBinding::setScrollDirection(int32_t direction) { put(id::ScrollDirection, Variant(direction)); }
int32_t CascadraBinding::view3D() { return toLong(get(id::View3D)); }
void CascadraBinding::setView3D(int32_t on) { put(id::View3D, Variant(on)); }
int16_t CascadraBinding::depth3D() { return toShort(get(id::Depth3D)); }

void CascadraBinding::addLine(const std::vector<int16_t>& line)
{
    Variant args[] = {Variant(SafeArray::shorts1D(line))};
    call(id::AddLine, args);
}

void CascadraBinding::clipboardCopy() { call(id::ClipboardCopy, {}); }

void CascadraBinding::onCursorMoved(std::function<void(int16_t, int16_t)> handler)
{
    setEventHandler([handler = std::move(handler)](DispId event, std::span<const Variant> args) {
        if (event == cascadra::eventid::CursorMoved && args.size() == 2 && handler)
            handler(toShort(args[0]), toShort(args[1]));
    });
}

}  // namespace vellarin
