#include "packer/single_file/resource_tree.h"

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

#include "packer/base/byte_writer.h"
#include "packer/single_file/resource_format.h"
#include "unzip32/reuse/byte_reader.h"

namespace packer::single_file {

namespace {

class SectionReader {
public:
    SectionReader(std::string_view section, uint32_t sectionRva, std::vector<Resource>& out)
        : section_(section), rva_(sectionRva), out_(out) {}

    bool Directory(size_t offset, size_t level, std::array<ResourceKey, res::kDirectoryLevels>& path) {
        if (!visited_.insert(offset).second) return Fail("a resource directory is reached twice");
        uz::ByteReader header(At(offset, res::kDirectorySize));
        if (!header.has(res::kDirectorySize)) return Fail("a resource directory lies beyond the section's end");
        header.skip(res::kNumberOfNamedEntriesOffset);
        const size_t count = size_t{header.u16()} + header.u16();
        uz::ByteReader entries(At(offset + res::kDirectorySize, count * res::kDirectoryEntrySize));
        if (!entries.has(count * res::kDirectoryEntrySize))
            return Fail("a resource directory's entries lie beyond the section's end");
        for (size_t i = 0; i < count; ++i) {
            const uint32_t name = entries.u32();
            const uint32_t target = entries.u32();
            if (!Key(name, path[level])) return false;
            const bool subdirectory = (target & res::kHighBit) != 0;
            const size_t at = target & ~res::kHighBit;
            if (subdirectory != (level + 1 < res::kDirectoryLevels))
                return Fail("the resource directory is not three levels deep");
            if (subdirectory ? !Directory(at, level + 1, path) : !Data(at, path)) return false;
        }
        return true;
    }

    const std::string& problem() const { return problem_; }

private:
    std::string_view At(size_t offset, size_t size) const {
        return offset <= section_.size() ? section_.substr(offset, size) : std::string_view();
    }

    bool Key(uint32_t field, ResourceKey& key) {
        if ((field & res::kHighBit) == 0) {
            if (field > 0xFFFF) return Fail("a resource's number is larger than 16 bits");
            key = ResourceKey::Id(static_cast<uint16_t>(field));
            return true;
        }
        const size_t at = field & ~res::kHighBit;
        uz::ByteReader length(At(at, res::kNameLengthSize));
        if (!length.has(res::kNameLengthSize)) return Fail("a resource's name lies beyond the section's end");
        const size_t units = length.u16();
        uz::ByteReader text(At(at + res::kNameLengthSize, units * 2));
        if (!text.has(units * 2)) return Fail("a resource's name lies beyond the section's end");
        key = ResourceKey{true, 0, {}};
        for (size_t i = 0; i < units; ++i) key.name.push_back(static_cast<char16_t>(text.u16()));
        return true;
    }

    bool Data(size_t offset, const std::array<ResourceKey, res::kDirectoryLevels>& path) {
        uz::ByteReader entry(At(offset, res::kDataEntrySize));
        if (!entry.has(res::kDataEntrySize)) return Fail("a resource's data entry lies beyond the section's end");
        const uint32_t dataRva = entry.u32();
        const uint32_t size = entry.u32();
        const uint32_t codePage = entry.u32();
        if (dataRva < rva_ || dataRva - rva_ > section_.size() || size > section_.size() - (dataRva - rva_))
            return Fail("a resource's data lies outside the resource section");
        out_.push_back(Resource{path[0], path[1], path[2], codePage,
                                std::string(section_.substr(dataRva - rva_, size))});
        return true;
    }

    bool Fail(const char* what) {
        problem_ = what;
        return false;
    }

    std::string_view section_;
    uint32_t rva_;
    std::vector<Resource>& out_;
    std::set<size_t> visited_;
    std::string problem_;
};

// One directory of the tree being written, or a leaf (a data entry).
struct Node {
    ResourceKey key;
    std::vector<Node> children;
    const Resource* resource = nullptr;
    size_t at = 0;      // the directory's or data entry's offset
    size_t nameAt = 0;  // the name's offset, when named
    size_t dataAt = 0;  // the data's offset, for a leaf
};

Node& Child(Node& parent, const ResourceKey& key) {
    if (parent.children.empty() || !(parent.children.back().key == key)) parent.children.push_back(Node{key, {}});
    return parent.children.back();
}

size_t Align(size_t offset, size_t alignment) { return (offset + alignment - 1) / alignment * alignment; }

}  // namespace

std::strong_ordering ResourceKey::operator<=>(const ResourceKey& other) const {
    if (named != other.named) return named ? std::strong_ordering::less : std::strong_ordering::greater;
    return named ? name <=> other.name : id <=> other.id;
}

bool ReadResources(std::string_view section, uint32_t sectionRva, std::vector<Resource>& resources,
                   std::string& problem) {
    resources.clear();
    SectionReader reader(section, sectionRva, resources);
    std::array<ResourceKey, res::kDirectoryLevels> path;
    if (reader.Directory(0, 0, path)) return true;
    problem = reader.problem();
    return false;
}

std::string WriteResources(std::vector<Resource> resources, uint32_t sectionRva) {
    const auto key = [](const Resource& r) { return std::tie(r.type, r.name, r.language); };
    std::stable_sort(resources.begin(), resources.end(),
                     [&](const Resource& a, const Resource& b) { return key(a) < key(b); });
    Node root;
    for (const Resource& resource : resources) {
        Child(Child(Child(root, resource.type), resource.name), resource.language).resource = &resource;
    }

    // The tree level by level: the directories, then the leaves.
    std::vector<std::vector<Node*>> levels{{&root}};
    for (size_t level = 0; level < res::kDirectoryLevels; ++level) {
        std::vector<Node*> next;
        for (Node* node : levels.back()) {
            for (Node& child : node->children) next.push_back(&child);
        }
        levels.push_back(std::move(next));
    }
    size_t offset = 0;
    for (size_t level = 0; level < res::kDirectoryLevels; ++level) {
        for (Node* node : levels[level]) {
            node->at = offset;
            offset += res::kDirectorySize + node->children.size() * res::kDirectoryEntrySize;
        }
    }
    for (Node* leaf : levels.back()) {
        leaf->at = offset;
        offset += res::kDataEntrySize;
    }
    for (size_t level = 1; level < levels.size(); ++level) {
        for (Node* node : levels[level]) {
            if (!node->key.named) continue;
            node->nameAt = offset;
            offset += res::kNameLengthSize + node->key.name.size() * 2;
        }
    }
    for (Node* leaf : levels.back()) {
        leaf->dataAt = offset = Align(offset, res::kDataAlignment);
        offset += leaf->resource->data.size();
    }

    ByteWriter out;
    for (size_t level = 0; level < res::kDirectoryLevels; ++level) {
        const bool toLeaves = level + 1 == res::kDirectoryLevels;
        for (const Node* node : levels[level]) {
            const auto named = std::count_if(node->children.begin(), node->children.end(),
                                             [](const Node& child) { return child.key.named; });
            out.u32(0);  // Characteristics
            out.u32(0);  // TimeDateStamp: none, so that the same resources give the same bytes
            out.u16(0);  // MajorVersion
            out.u16(0);  // MinorVersion
            out.u16(static_cast<uint16_t>(named));
            out.u16(static_cast<uint16_t>(node->children.size() - named));
            for (const Node& child : node->children) {
                out.u32(child.key.named ? res::kHighBit | static_cast<uint32_t>(child.nameAt) : child.key.id);
                out.u32(static_cast<uint32_t>(child.at) | (toLeaves ? 0 : res::kHighBit));
            }
        }
    }
    for (const Node* leaf : levels.back()) {
        out.u32(sectionRva + static_cast<uint32_t>(leaf->dataAt));
        out.u32(static_cast<uint32_t>(leaf->resource->data.size()));
        out.u32(leaf->resource->codePage);
        out.u32(0);  // Reserved
    }
    for (size_t level = 1; level < levels.size(); ++level) {
        for (const Node* node : levels[level]) {
            if (!node->key.named) continue;
            out.u16(static_cast<uint16_t>(node->key.name.size()));
            out.text16(node->key.name);
        }
    }
    for (const Node* leaf : levels.back()) {
        out.align(res::kDataAlignment);
        out.bytes(leaf->resource->data);
    }
    return out.take();
}

}  // namespace packer::single_file
