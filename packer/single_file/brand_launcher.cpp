#include "packer/single_file/brand_launcher.h"

#include <algorithm>

#include "packer/base/pack_error.h"
#include "packer/single_file/image_resources.h"
#include "packer/single_file/manifest_description.h"
#include "packer/single_file/resource_format.h"

namespace packer::single_file {

namespace {

std::u16string Utf16(std::wstring_view text) {
    std::u16string out;
    for (const wchar_t c : text) {
        const auto code = static_cast<uint32_t>(c);
        if (code > 0xFFFF) {  // wchar_t of 32 bits: a surrogate pair
            out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

bool IsType(const Resource& resource, uint16_t type) { return resource.type == ResourceKey::Id(type); }

void ReplaceIcon(std::vector<Resource>& resources, const std::vector<IconImage>& icon) {
    // The first group is the program's icon (Explorer's and ExtractIconEx's
    // index 0, and the one the launcher loads by its id); it keeps its name.
    const auto first = std::find_if(resources.begin(), resources.end(),
                                    [](const Resource& r) { return IsType(r, res::kTypeGroupIcon); });
    const ResourceKey group = first != resources.end() ? first->name : ResourceKey::Id(1);
    const ResourceKey language = first != resources.end() ? first->language : ResourceKey::Id(res::kLanguageUsEnglish);
    std::erase_if(resources, [](const Resource& r) { return IsType(r, res::kTypeIcon) || IsType(r, res::kTypeGroupIcon); });
    const std::vector<Resource> added = IconResources(icon, group, language, 1);
    resources.insert(resources.end(), added.begin(), added.end());
}

std::vector<VersionText> VersionTexts(const Identity& identity) {
    std::vector<VersionText> texts;
    const auto add = [&](const char16_t* key, const std::optional<std::wstring>& value) {
        if (value && !value->empty()) texts.emplace_back(key, Utf16(*value));
    };
    const std::optional<std::wstring> version =
        identity.version ? std::optional(identity.version->text) : std::nullopt;
    const std::wstring internalName = identity.fileName.substr(0, identity.fileName.rfind(L'.'));
    add(u"CompanyName", identity.company);
    add(u"FileDescription", identity.description);
    add(u"FileVersion", version);
    add(u"InternalName", internalName);
    add(u"LegalCopyright", identity.copyright);
    add(u"OriginalFilename", identity.fileName);
    add(u"ProductName", identity.productName);
    add(u"ProductVersion", version);
    return texts;
}

}  // namespace

std::string BrandLauncher(std::string_view image, const Identity& identity) {
    std::vector<Resource> resources = ReadImageResources(image);
    if (!identity.icon.empty()) ReplaceIcon(resources, identity.icon);

    std::optional<std::string> version = VersionResource(identity.version, VersionTexts(identity));
    if (!version) throw PackError("the version information is longer than a version resource can hold");
    std::erase_if(resources, [](const Resource& r) { return IsType(r, res::kTypeVersion); });
    resources.push_back(Resource{ResourceKey::Id(res::kTypeVersion), ResourceKey::Id(res::kVersionInfoId),
                                 ResourceKey::Id(res::kLanguageUsEnglish), 0, std::move(*version)});

    for (Resource& resource : resources) {
        if (!IsType(resource, res::kTypeManifest)) continue;
        std::optional<std::string> manifest = WithDescription(resource.data, identity.description);
        if (!manifest) throw PackError("the launcher program's manifest has no <description> to carry the description");
        resource.data = std::move(*manifest);
    }
    return WithResources(image, resources);
}

}  // namespace packer::single_file
