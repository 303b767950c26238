/* Frames in huge pages. A 1920x1080 BGRx frame spans some two thousand
 * 4 KiB pages; writing it at the fastest methods' speed, the page walks of
 * so many pages cost about a sixth of the time, which 2 MiB pages avoid.
 * The memory is plain system memory once made: gst_memory_new_wrapped's,
 * freed by its notify. */
#define _GNU_SOURCE
#include "orvex_frame_memory.h"

#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>

typedef struct {
    GstAllocator parent;
} GstOrvexFrameAllocator;

typedef struct {
    GstAllocatorClass parent_class;
} GstOrvexFrameAllocatorClass;

GType gst_orvex_frame_allocator_get_type(void);
G_DEFINE_TYPE(GstOrvexFrameAllocator, gst_orvex_frame_allocator, GST_TYPE_ALLOCATOR)

static GstMemory* frame_alloc(GstAllocator* allocator, gsize size, GstAllocationParams* params) {
    (void)allocator;
    const gsize page = GST_ORVEX_HUGE_PAGE_BYTES;
    /* A block and its rounding must be countable. */
    if (params->prefix > G_MAXSIZE - page || params->padding > G_MAXSIZE - page - params->prefix ||
        size > G_MAXSIZE - page - params->prefix - params->padding)
        return NULL;
    const gsize maxsize = params->prefix + size + params->padding;
    /* Alignments are masks; the block's start, a page's, meets any the
     * pool asks for up to a page. */
    if (maxsize < GST_ORVEX_HUGE_FRAME_BYTES || params->align >= page)
        return gst_allocator_alloc(NULL, size, params);
    const gsize bytes = (maxsize + page - 1) / page * page;
    void* data = NULL;
    if (posix_memalign(&data, page, bytes) != 0) return NULL;
#ifdef MADV_HUGEPAGE
    /* Advice: where it is refused, the block keeps small pages. */
    (void)madvise(data, bytes, MADV_HUGEPAGE);
#endif
    if (params->flags & GST_MEMORY_FLAG_ZERO_PREFIXED) memset(data, 0, params->prefix);
    if (params->flags & GST_MEMORY_FLAG_ZERO_PADDED)
        memset((guint8*)data + params->prefix + size, 0, params->padding);
    return gst_memory_new_wrapped(params->flags, data, maxsize, params->prefix, size, data, free);
}

/* Never called: the memory made is the system allocator's, which frees it
 * through the notify. */
static void frame_free(GstAllocator* allocator, GstMemory* memory) {
    (void)allocator;
    (void)memory;
}

static void gst_orvex_frame_allocator_class_init(GstOrvexFrameAllocatorClass* klass) {
    GstAllocatorClass* allocator_class = GST_ALLOCATOR_CLASS(klass);
    allocator_class->alloc = frame_alloc;
    allocator_class->free = frame_free;
}

static void gst_orvex_frame_allocator_init(GstOrvexFrameAllocator* self) {
    (void)self;
}

GstAllocator* gst_orvex_frame_allocator_new(void) {
    return GST_ALLOCATOR(
        gst_object_ref_sink(g_object_new(gst_orvex_frame_allocator_get_type(), NULL)));
}
