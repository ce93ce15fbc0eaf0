// PNG and JPEG pictures through the Windows Imaging Component, the system's
// own decoders (windowscodecs.dll, reached through COM). The decoder for the
// format the signature named is asked for; the frame's size is checked
// before its pixels are converted to RGBA. This interface offers no scaled
// JPEG decoding here: large JPEGs are decoded at full size.
#include <initguid.h> // the interfaces' and formats' GUIDs, defined in this file

#include <wincodec.h>
#include <windows.h>

#include <cstdio>
#include <utility>

#include "texture/picture_decoders.hpp"

namespace kessra::texture {

namespace {

// Holds one reference to a COM object.
template <class T> struct ComRef {
    T* object = nullptr;
    ComRef() = default;
    ~ComRef() {
        if (object != nullptr) object->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return object; }
    void** out() { return reinterpret_cast<void**>(&object); }
};

// COM in use on this thread for as long as this lives.
struct ComUse {
    HRESULT started = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ~ComUse() {
        if (SUCCEEDED(started)) CoUninitialize();
    }
    ComUse() = default;
    ComUse(const ComUse&) = delete;
    ComUse& operator=(const ComUse&) = delete;
    // Already in use in another mode is as good.
    bool usable() const { return SUCCEEDED(started) || started == RPC_E_CHANGED_MODE; }
};

std::string reason(HRESULT result) {
    switch (result) {
    case WINCODEC_ERR_BADIMAGE: return "the image data is damaged";
    case WINCODEC_ERR_BADHEADER: return "the header is damaged";
    case WINCODEC_ERR_BADSTREAMDATA: return "the compressed data is damaged";
    case WINCODEC_ERR_FRAMEMISSING: return "the file holds no picture";
    case WINCODEC_ERR_STREAMREAD:
    case WINCODEC_ERR_STREAMNOTAVAILABLE: return "the file ends early";
    case WINCODEC_ERR_UNKNOWNIMAGEFORMAT: return "the decoder could not read it";
    case E_OUTOFMEMORY: return "not enough memory";
    default: break;
    }
    char code[32];
    std::snprintf(code, sizeof code, "error 0x%08lX", static_cast<unsigned long>(result));
    return std::string("the system's decoder reported ") + code;
}

Result<Picture> decode_with_wic(std::span<const std::uint8_t> bytes, const GUID& container) {
    if (bytes.size() > MAXDWORD) return failed<Picture>(damaged("the file is too large"));
    const ComUse com; // destroyed last, after every object below
    if (!com.usable())
        return failed<Picture>(
            Status::failure("the Windows Imaging Component cannot be used (" + reason(com.started) + ")"));
    ComRef<IWICImagingFactory> factory;
    HRESULT result =
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory, factory.out());
    if (FAILED(result))
        return failed<Picture>(
            Status::failure("the Windows Imaging Component cannot be used (" + reason(result) + ")"));
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(result = factory->CreateStream(reinterpret_cast<IWICStream**>(stream.out()))) ||
        FAILED(result =
                   stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()))) ||
        FAILED(result =
                   factory->CreateDecoder(container, nullptr, reinterpret_cast<IWICBitmapDecoder**>(decoder.out()))) ||
        FAILED(result = decoder->Initialize(stream.object, WICDecodeMetadataCacheOnDemand)) ||
        FAILED(result = decoder->GetFrame(0, reinterpret_cast<IWICBitmapFrameDecode**>(frame.out()))))
        return failed<Picture>(damaged(reason(result)));
    UINT width = 0, height = 0;
    if (FAILED(result = frame->GetSize(&width, &height))) return failed<Picture>(damaged(reason(result)));
    if (Status size = check_picture_size(width, height); !size) return failed<Picture>(std::move(size));

    ComRef<IWICFormatConverter> converter;
    if (FAILED(result = factory->CreateFormatConverter(reinterpret_cast<IWICFormatConverter**>(converter.out()))) ||
        FAILED(result = converter->Initialize(frame.object, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                              nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return failed<Picture>(damaged(reason(result)));
    Picture pic = make_picture(static_cast<int>(width), static_cast<int>(height));
    const UINT stride = width * 4;     // at most MAX_PICTURE_SIDE * 4
    const UINT size = stride * height; // at most MAX_PICTURE_PIXELS * 4
    if (FAILED(result = converter->CopyPixels(nullptr, stride, size, reinterpret_cast<BYTE*>(pic.pixels.data()))))
        return failed<Picture>(damaged(reason(result)));
    for (Rgba& p : pic.pixels) std::swap(p.r, p.b); // BGRA to RGBA
    return success(std::move(pic));
}

} // namespace

Result<Picture> decode_png(std::span<const std::uint8_t> bytes) {
    return decode_with_wic(bytes, GUID_ContainerFormatPng);
}

Result<Picture> decode_jpeg(std::span<const std::uint8_t> bytes, CoverSize /*cover*/) {
    return decode_with_wic(bytes, GUID_ContainerFormatJpeg);
}

} // namespace kessra::texture
