// Resource pack look-ups and bounds. Damaged packs at large are the fuzz target's (fuzz/fuzz_pack.cpp).
#include "assets/pack.h"
#include "tools/common/asset_writers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Directory at 8, four entries of 136 bytes; the files follow from 552.
const std::vector<uint8_t>& test_pack()
{
    static const std::vector<uint8_t> s_pack = [] {
        std::vector<uint8_t> pack;
        EXPECT_TRUE(write_pack({{"mess.ms3d", bytes("model bytes")},
                                {"..\\..\\..\\3d\\particles.tga", bytes("texture")},
                                {"textures/dup.txt", bytes("first")},
                                {"dup.txt", bytes("second")}},
                               &pack));
        return pack;
    }();
    return s_pack;
}
constexpr uint32_t FILES_START = 8 + 4 * 136;

// Sets field 0 (offset) or 4 (size) of directory entry `index`.
void set_entry(std::vector<uint8_t>& pack, uint32_t index, uint32_t field, uint32_t value)
{
    for (uint32_t i = 0; i < 4; ++i)
        pack[8 + 136 * index + field + i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

// Base names (a separator in the first position belongs to the name); look-ups in any case behind any
// directory find the first of duplicates.
TEST(ResourcePack, FindsTheFirstEntryOfABaseNameInAnyCaseBehindAnyDirectory)
{
    const char* path = "..\\..\\..\\3d\\particles.tga";
    EXPECT_EQ(GetBaseName(path), path + 12);
    for (auto [name, base] : {std::pair{"a/b\\c/name.txt", "name.txt"}, {"name.txt", "name.txt"},
                              {"\\name.txt", "\\name.txt"}, {"/", "/"}, {"x", "x"}, {"dir/", ""}, {"", ""}})
        EXPECT_STREQ(GetBaseName(name), base) << name;

    std::vector<uint8_t> data = test_pack();
    const uint8_t* texture = data.data() + FILES_START + 11;
    for (uint32_t length : {LENGTH_UNKNOWN, static_cast<uint32_t>(data.size())}) {
        ResourcePack* pack = ResourcePack_Open(data.data(), length);
        ASSERT_NE(pack, nullptr);
        EXPECT_EQ(ResourcePack_GetData(pack, "mess.ms3d"), data.data() + FILES_START);
        EXPECT_EQ(ResourcePack_GetSize(pack, "MESS.MS3D"), 11u);
        for (const char* name : {"PaRtIcLeS.tGa", path, "c:/some/where/Particles.tga", "other\\dir/particles.TGA"})
            EXPECT_TRUE(ResourcePack_GetData(pack, name) == texture && ResourcePack_GetSize(pack, name) == 7u &&
                        reinterpret_cast<const uint8_t*>(ResourcePack_FindEntry(pack, name)) == data.data() + 8 + 136)
                << name;
        EXPECT_EQ(ResourcePack_GetData(pack, "x/DUP.txt"), texture + 7);
        for (const char* name : {"\\particles.tga", "nothing.tga", "particles", "particles.tga.bak"})
            EXPECT_TRUE(!ResourcePack_GetData(pack, name) && !ResourcePack_GetSize(pack, name)) << name;
    }
    data[3] = 'Q';
    EXPECT_TRUE(!ResourcePack_Open(data.data()) && !ResourcePack_Open("PKC", 3));
    ResourcePack withoutMagic{data.data(), LENGTH_UNKNOWN};
    EXPECT_EQ(ResourcePack_GetData(&withoutMagic, "mess.ms3d"), nullptr);
}

// Sizes past a known length are cut (the original packs' 0xCCCCCCCC), entries and directories outside it find
// nothing, an unusable entry is passed over for a later one of the same name.
TEST(ResourcePack, SizesPastAKnownLengthAreCutAndOffsetsPastItAreNotReturned)
{
    const std::vector<uint8_t>& good = test_pack();
    const uint32_t length = static_cast<uint32_t>(good.size()), left = length - FILES_START;
    for (uint32_t size : {0xCCCCCCCCu, left + 1}) {
        std::vector<uint8_t> data = good;
        set_entry(data, 0, 4, size);
        ResourcePack bounded{data.data(), length}, trusted{data.data(), LENGTH_UNKNOWN};
        PackEntry listed;
        uint32_t stored = 0;
        EXPECT_EQ(ResourcePack_GetData(&bounded, "mess.ms3d"), data.data() + FILES_START) << size;
        EXPECT_TRUE(ResourcePack_GetSize(&bounded, "mess.ms3d") == left &&
                    ResourcePack_FindEntry(&bounded, "MESS.ms3d")->size == left) << size;
        EXPECT_TRUE(ResourcePack_EntryAt(&bounded, 0, &listed, &stored) && listed.size == left && stored == size);
        EXPECT_EQ(ResourcePack_GetSize(&trusted, "mess.ms3d"), size) << "without a length, as stored";
    }
    for (uint32_t offset : {length + 1, 0xFFFFFFF8u}) {
        std::vector<uint8_t> data = good;
        set_entry(data, 0, 0, offset);
        ResourcePack bounded{data.data(), length}, trusted{data.data(), LENGTH_UNKNOWN};
        EXPECT_TRUE(!ResourcePack_FindEntry(&bounded, "mess.ms3d") && !ResourcePack_GetSize(&bounded, "mess.ms3d"));
        PackEntry listed;
        EXPECT_TRUE(!ResourcePack_EntryAt(&bounded, 0, &listed) && std::strcmp(listed.name, "mess.ms3d") == 0)
            << "listing still shows the entry";
        EXPECT_NE(ResourcePack_GetData(&trusted, "mess.ms3d"), nullptr) << offset;
    }
    std::vector<uint8_t> data = good;
    set_entry(data, 0, 0, length); // at the very end: empty
    set_entry(data, 0, 4, 0xCCCCCCCCu);
    set_entry(data, 2, 0, length + 1);
    ResourcePack bounded{data.data(), length};
    EXPECT_TRUE(ResourcePack_GetData(&bounded, "mess.ms3d") == data.data() + length &&
                ResourcePack_GetSize(&bounded, "mess.ms3d") == 0u);
    EXPECT_EQ(ResourcePack_GetSize(&bounded, "dup.txt"), 6u);

    data = good;
    data[4] = 5; // a directory running past the pack
    bounded = {data.data(), length};
    EXPECT_TRUE(!ResourcePack_GetData(&bounded, "mess.ms3d") && ResourcePack_EntryCount(&bounded) == 0u);
    ResourcePack whole{good.data(), length}, cut{good.data(), FILES_START - 1};
    PackEntry entry;
    EXPECT_TRUE(ResourcePack_EntryCount(&whole) == 4u && !ResourcePack_EntryAt(&whole, 4, &entry));
    EXPECT_EQ(ResourcePack_GetData(&cut, "mess.ms3d"), nullptr);
}

// A 128-byte name without terminator in a misaligned, exactly sized block: no read past it, no misaligned entry.
TEST(ResourcePack, NamesFilling128BytesAndMisalignedPacksAreReadSafely)
{
    const std::string longName = std::string(124, 'n') + ".bin";
    std::vector<uint8_t> data;
    ASSERT_TRUE(write_pack({{longName, bytes("long")}, {"after.bin", bytes("x")}}, &data));
    uint8_t* block = static_cast<uint8_t*>(std::malloc(data.size() + 1));
    std::memcpy(block + 1, data.data(), data.size());
    ResourcePack* pack = ResourcePack_Open(block + 1, static_cast<uint32_t>(data.size()));
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(ResourcePack_GetSize(pack, ("dir\\" + longName).c_str()), 4u);
    const PackEntry* entry = ResourcePack_FindEntry(pack, "after.bin");
    ASSERT_TRUE(entry && reinterpret_cast<uintptr_t>(entry) % alignof(PackEntry) == 0);
    EXPECT_TRUE(entry->offset == 8u + 2 * 136 + 4 && entry->size == 1u && std::strcmp(entry->name, "after.bin") == 0);
    std::free(block);
}
