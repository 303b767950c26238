/* Memory for the frames of orvexdemosaic's own pool. */
#ifndef GST_ORVEX_FRAME_MEMORY_H
#define GST_ORVEX_FRAME_MEMORY_H

#include <gst/gst.h>

G_BEGIN_DECLS

/* An allocator that puts large frames in whole huge pages (transparent
 * huge pages, where the system has them) and smaller ones in the default
 * allocator's memory. */
GstAllocator* gst_orvex_frame_allocator_new(void);

/* The smallest block put in huge pages: rounding up to whole pages wastes
 * under half of it. */
#define GST_ORVEX_HUGE_PAGE_BYTES ((gsize)2 << 20)
#define GST_ORVEX_HUGE_FRAME_BYTES (2 * GST_ORVEX_HUGE_PAGE_BYTES)

G_END_DECLS

#endif
