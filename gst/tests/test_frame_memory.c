/* The pool's frame memory: every layout of prefix, padding, alignment and
 * flags, each side of the huge-page size, gives a block that holds it. */
#include <gst/check/gstcheck.h>

#include "../orvex_frame_memory.h"

GST_START_TEST(blocks_hold_what_is_asked) {
    static const struct {
        gsize size, prefix, padding, align;
        GstMemoryFlags flags;
    } cases[] = {
        {1 << 20, 0, 0, 15, 0},
        {GST_ORVEX_HUGE_FRAME_BYTES - 1, 0, 1, 63, GST_MEMORY_FLAG_ZERO_PADDED},
        {GST_ORVEX_HUGE_FRAME_BYTES, 0, 0, 0, 0},
        {1920 * 1080 * 4, 64, 32, 63, GST_MEMORY_FLAG_ZERO_PREFIXED | GST_MEMORY_FLAG_ZERO_PADDED},
        {4096 * 3072 * 8 + 1, 3, 5, 7, GST_MEMORY_FLAG_ZERO_PREFIXED},
        /* An alignment beyond a huge page: the default allocator's. */
        {GST_ORVEX_HUGE_FRAME_BYTES, 0, 0, 2 * GST_ORVEX_HUGE_PAGE_BYTES - 1, 0},
    };
    GstAllocator* a = gst_orvex_frame_allocator_new();
    for (gsize k = 0; k < G_N_ELEMENTS(cases); ++k) {
        GstAllocationParams p;
        gst_allocation_params_init(&p);
        p.prefix = cases[k].prefix;
        p.padding = cases[k].padding;
        p.align = cases[k].align;
        p.flags = cases[k].flags;
        GstMemory* m = gst_allocator_alloc(a, cases[k].size, &p);
        fail_unless(m != NULL, "case %" G_GSIZE_FORMAT, k);
        gsize offset, maxsize;
        fail_unless_equals_uint64(gst_memory_get_sizes(m, &offset, &maxsize), cases[k].size);
        fail_unless_equals_uint64(offset, cases[k].prefix);
        fail_unless(maxsize >= cases[k].prefix + cases[k].size + cases[k].padding);
        GstMapInfo map;
        fail_unless(gst_memory_map(m, &map, GST_MAP_READWRITE));
        const guint8* block = map.data - offset;
        fail_unless(((guintptr)block & cases[k].align) == 0, "case %" G_GSIZE_FORMAT, k);
        for (gsize i = 0; (cases[k].flags & GST_MEMORY_FLAG_ZERO_PREFIXED) && i < offset; ++i)
            fail_unless(block[i] == 0);
        for (gsize i = 0; (cases[k].flags & GST_MEMORY_FLAG_ZERO_PADDED) && i < cases[k].padding;
             ++i)
            fail_unless(map.data[cases[k].size + i] == 0);
        /* Every byte is the block's (the sanitizer sees a stray one). */
        memset(map.data, 0x5a, map.size);
        gst_memory_unmap(m, &map);
        GstMemory* part = gst_memory_share(m, 1, 16);
        fail_unless(gst_memory_map(part, &map, GST_MAP_READ));
        fail_unless(map.size == 16 && map.data[15] == 0x5a);
        gst_memory_unmap(part, &map);
        gst_memory_unref(part);
        gst_memory_unref(m);
    }
    /* A size that cannot be counted with its rounding: no block. */
    GstAllocationParams p;
    gst_allocation_params_init(&p);
    p.padding = 64;
    fail_unless(gst_allocator_alloc(a, G_MAXSIZE - GST_ORVEX_HUGE_PAGE_BYTES, &p) == NULL);
    gst_object_unref(a);
}

GST_END_TEST;

static Suite* orvexdemosaic_frame_memory_suite(void) {
    Suite* s = suite_create("orvexdemosaic_frame_memory");
    TCase* tc = tcase_create("general");
    suite_add_tcase(s, tc);
    tcase_add_test(tc, blocks_hold_what_is_asked);
    return s;
}

GST_CHECK_MAIN(orvexdemosaic_frame_memory);
