// A program's resources as a list, read from its resource section and
// written back as a new one. The section is a tree of three levels (type,
// name, language) whose leaves point at the data by RVA, so it is read and
// written for the address it is loaded at.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace packer::single_file {

// A resource's type, name or language: a number, or a name.
struct ResourceKey {
    bool named = false;
    uint16_t id = 0;        // when not named
    std::u16string name;    // when named

    static ResourceKey Id(uint16_t id) { return {false, id, {}}; }
    // The directory's order: names before numbers, names by their code units.
    std::strong_ordering operator<=>(const ResourceKey& other) const;
    bool operator==(const ResourceKey& other) const = default;
};

struct Resource {
    ResourceKey type, name, language;
    uint32_t codePage = 0;  // as the data entry gives it; 0 for most
    std::string data;
};

// Every resource of `section`, the bytes of a resource section loaded at
// `sectionRva`, in the directory's order. False, with what is wrong in
// `problem`, when the tree does not lie within the section, a directory is
// reached twice, or a resource's data lies outside the section.
bool ReadResources(std::string_view section, uint32_t sectionRva, std::vector<Resource>& resources,
                   std::string& problem);

// A resource section holding `resources`, loaded at `sectionRva`: the
// directories, the data entries, the names, then the data. The same
// resources give the same bytes (no time stamp), in whatever order they
// come; of two with the same type, name and language the later is kept.
std::string WriteResources(std::vector<Resource> resources, uint32_t sectionRva);

}  // namespace packer::single_file
