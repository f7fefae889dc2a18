#include "ButtonTesting.h"

#include <iomanip>
#include <sstream>

namespace button_testing {

namespace {

constexpr const wchar_t* kParentClass = L"Quillet.Test.ButtonParent";

std::string Describe(COLORREF colour)
{
    std::ostringstream text;
    text << "RGB(" << int(GetRValue(colour)) << ", " << int(GetGValue(colour)) << ", " << int(GetBValue(colour)) << ")";
    return text.str();
}

}  // namespace

RecordingParent::RecordingParent()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &RecordingParent::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kParentClass;
    ::RegisterClassExW(&windowClass);  // fails harmlessly once registered

    // Keep the real pointer away, so that no move of it reaches the button.
    ::SetCursorPos(1270, 1010);
    window.reset(::CreateWindowExW(0, kParentClass, L"button parent", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), this));
}

RecordingParent::~RecordingParent() = default;

LRESULT CALLBACK RecordingParent::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingParent*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_COMMAND && self)
        self->commands.push_back({wParam, lParam, ::GetCapture()});
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::unique_ptr<Gdiplus::Bitmap> SolidBitmap(uint32_t argb)
{
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(kImageSize, kImageSize, PixelFormat32bppARGB));
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x)
            bitmap->SetPixel(x, y, Gdiplus::Color(argb));
    return bitmap;
}

COLORREF HalfOver(COLORREF over, COLORREF under)
{
    auto mix = [](int top, int bottom) { return (top * 128 + bottom * 127) / 255; };
    return RGB(mix(GetRValue(over), GetRValue(under)), mix(GetGValue(over), GetGValue(under)),
               mix(GetBValue(over), GetBValue(under)));
}

::testing::AssertionResult Near(COLORREF actual, COLORREF expected, int tolerance)
{
    bool close = std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
                 std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
                 std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
    if (close)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(actual) << " is not " << Describe(expected);
}

LPARAM At(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
}

}  // namespace button_testing
