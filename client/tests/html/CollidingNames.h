// Tag names that all have one value under a fixed, easily inverted hash: FNV-1a steps over the UTF-16 units with
// the 32-bit prime, whichever the width of size_t (the parser's tag table once used it). Each name is "x" and 16
// blocks of five characters, each block one of a pair that leaves the hash in the same state, so any choice of
// blocks gives the same value: the 16 pairs make 65,536 names. The pairs were found by a cycle search over the
// first four characters (a match in the upper 48 bits of the state) and a last character that evens out the low
// 16 bits; bench/colliding_names.cpp (run by hand) repeats the search.
#pragma once
#include <string>

namespace colliding {

inline constexpr std::u16string_view kBlocks[16][2] = {
    {u"\u6B0D\u6CCB\u5C33\u4E08\u9194", u"\u885C\u7127\u9577\u4E02\u4E47"},
    {u"\u82B6\u7C61\u7F26\u4E0B\u5B12", u"\u7B87\u55FC\u8E88\u4E1A\u6F69"},
    {u"\u77B2\u9A73\u93AE\u4E03\u6960", u"\u6F9C\u6E07\u8451\u4E12\u8C4E"},
    {u"\u9FCF\u9894\u51F4\u4E06\u5691", u"\u5389\u77B4\u8C29\u4E1A\u9042"},
    {u"\u8207\u756A\u83C9\u4E02\u65BA", u"\u4FDA\u6259\u8B65\u4E0C\u8E94"},
    {u"\u793C\u8416\u6505\u4E14\u6C97", u"\u626A\u711B\u7CBF\u4E11\u9B63"},
    {u"\u7754\u796E\u9CA0\u4E1C\u89BA", u"\u5B64\u8BBE\u8E92\u4E1C\u8CF0"},
    {u"\u7BB2\u70E3\u8D2F\u4E0D\u8CD7", u"\u8C0C\u5AB5\u9E35\u4E10\u76D6"},
    {u"\u71AE\u92B1\u7A4C\u4E1A\u4E97", u"\u6C61\u79E1\u858F\u4E03\u8508"},
    {u"\u6793\u8F5A\u7D3D\u4E1B\u4E85", u"\u5B6D\u56C3\u7E49\u4E17\u9828"},
    {u"\u8701\u5AC9\u6DFB\u4E07\u63D8", u"\u85A4\u7C08\u6A77\u4E0B\u8CFE"},
    {u"\u7E06\u57B1\u87AC\u4E1D\u8296", u"\u8D11\u7998\u8539\u4E0B\u4F59"},
    {u"\u781A\u767F\u856D\u4E0E\u9C6C", u"\u540A\u7AAF\u6C23\u4E12\u9936"},
    {u"\u807C\u8F71\u5A74\u4E0E\u4E6D", u"\u5A92\u701C\u67B8\u4E09\u63E1"},
    {u"\u8A6B\u5461\u69FA\u4E1E\u89A0", u"\u9EB8\u531D\u5523\u4E1D\u91BB"},
    {u"\u90E6\u7884\u7D90\u4E01\u7795", u"\u7EB8\u6083\u5C5D\u4E18\u6494"},
};

// The index-th of the 65,536 names; its bits choose the blocks.
inline std::u16string Name(unsigned index) {
    std::u16string name = u"x";
    for (int b = 0; b < 16; ++b) {
        name += kBlocks[b][(index >> b) & 1];
    }
    return name;
}

// A body of `count` elements with distinct names, each opened and closed: <name>a</name>.
inline std::u16string Page(unsigned count, std::u16string (*name)(unsigned) = Name) {
    std::u16string page = u"<html><body>";
    for (unsigned i = 0; i < count; ++i) {
        const std::u16string n = name(i);
        page += u"<" + n + u">a</" + n + u">";
    }
    return page + u"</body></html>";
}

// Names of the same length and shape as the colliding ones, but ordinary: they differ in their first block.
inline std::u16string OrdinaryName(unsigned index) {
    std::u16string name = Name(0);
    for (int i = 1; i <= 5; ++i) {
        name[i] = static_cast<char16_t>(0x4E00 + index % 20992);
        index = index / 20992 + static_cast<unsigned>(i);
    }
    return name;
}

}  // namespace colliding
