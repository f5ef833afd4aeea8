// Software prefetch: asks the processor to bring memory that a walk will read soon into the
// cache, without waiting for it and without reading it. An address that is not mapped is
// ignored by the processor, so a hint never faults.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/EngineData.h"

// Bytes in a cache line.
inline constexpr std::size_t PrefetchLineBytes = 64;

// Brings the cache line holding p towards the first-level cache. GCC drops __builtin_prefetch
// together with code whose only effect it is, so on x86 the instruction is written out.
inline void PrefetchLine(const void* p)
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#else
    __builtin_prefetch(p);
#endif
}

// The cache lines holding the `bytes` from p on.
inline void PrefetchBytes(const void* p, std::size_t bytes)
{
    const char* c = static_cast<const char*>(p);
    for (std::size_t at = 0; at < bytes; at += PrefetchLineBytes) PrefetchLine(c + at);
}

// The first `lines` cache lines (64 B) from p.
inline void PrefetchLines(const void* p, int lines)
{
    PrefetchBytes(p, static_cast<std::size_t>(lines) * PrefetchLineBytes);
}

// For a walk over the nodes in index order that is at `node`: the first `lines` lines of the
// record `recordLead` nodes ahead, and with `tableLead` above 0 the first line of the section
// table of the node `tableLead` ahead (its pointer is read from that node's record, which the
// walk should have asked for earlier, so tableLead < recordLead). The processor does not foresee
// such a walk: the records follow one another 2 KB apart and the tables lie anywhere.
inline void PrefetchNodeWalk(const NodeRecord* node, std::size_t recordLead, int lines, std::size_t tableLead)
{
    const std::size_t k = static_cast<std::size_t>(node->Index);
    const std::size_t count = g_NodeIndex.size();
    if (node->Index < 0 || k >= count || g_NodeIndex[k] != node) return;
    if (tableLead > 0 && k + tableLead < count) {
        const NodeRecord* next = g_NodeIndex[k + tableLead];
        if (next && next->CrossSection) PrefetchLine(next->CrossSection);
    }
    if (k + recordLead < count && g_NodeIndex[k + recordLead]) PrefetchLines(g_NodeIndex[k + recordLead], lines);
}

// For a walk over the elements in their order that is at `element`: the element record `lead`
// elements ahead in g_ElementBlock up to its hydrodynamic terms (its nodes, codes, length and end
// values: what every system's evaluation reads of it), nothing for an element outside the block.
inline void PrefetchElementWalk(const ElementRecord* element, std::size_t lead)
{
    if (g_ElementBlock.empty()) return;
    const ElementRecord* first = g_ElementBlock.data();
    const auto at = reinterpret_cast<std::uintptr_t>(element), begin = reinterpret_cast<std::uintptr_t>(first);
    if (at < begin) return;
    const std::size_t k = (at - begin) / sizeof(ElementRecord);
    if (k + lead >= g_ElementBlock.size()) return;
    const ElementRecord* ahead = first + k + lead;
    const auto start = reinterpret_cast<std::uintptr_t>(ahead) & ~(std::uintptr_t{PrefetchLineBytes} - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(&ahead->HydroTerms);
    if (end > start) PrefetchBytes(reinterpret_cast<const void*>(start), end - start);
}
