/* Frames per second of orvexdemosaic and bayer2rgb through one pipeline
 * shape: appsrc pushing the same 8-bit RGGB frame again and again, the
 * converter into BGRx, fakesink. And the same conversion called directly,
 * which the element's overhead is measured against.
 *
 *   GST_PLUGIN_PATH=build/default/gst build/default/bench/orvex_gst_bench */
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <orvex2.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orvex_frame_memory.h"

static double seconds(void) {
    return (double)g_get_monotonic_time() / 1e6;
}

/* A frame of smooth colour and a little texture, rows packed (the widths
 * are multiples of 4, so that is the caps' padding too). */
static GstBuffer* frame(guint w, guint h) {
    guint8* d = g_malloc((gsize)w * h);
    for (guint y = 0; y < h; ++y)
        for (guint x = 0; x < w; ++x)
            d[(gsize)y * w + x] = (guint8)((x * 255 / w + y * 97 / h) ^ (x & y & 15));
    return gst_buffer_new_wrapped(d, (gsize)w * h);
}

/* Frames per second of `n` frames through the converter. */
static double pipeline_fps(const char* converter, guint w, guint h, GstBuffer* f, guint n) {
    gchar* desc = g_strdup_printf(
        "appsrc name=s is-live=false format=time "
        "max-buffers=0 caps=video/x-bayer,format=rggb,width=%u,"
        "height=%u,framerate=30/1 ! %s ! video/x-raw,format=BGRx ! "
        "fakesink sync=false",
        w, h, converter);
    GError* err = NULL;
    GstElement* p = gst_parse_launch(desc, &err);
    g_free(desc);
    if (p == NULL) {
        fprintf(stderr, "%s: %s\n", converter, err->message);
        g_error_free(err);
        return 0;
    }
    GstElement* src = gst_bin_get_by_name(GST_BIN(p), "s");
    gst_element_set_state(p, GST_STATE_PLAYING);
    /* One frame through first: negotiation and the pools are not timed. */
    gst_app_src_push_buffer(GST_APP_SRC(src), gst_buffer_ref(f));
    GstBus* bus = gst_element_get_bus(p);
    g_usleep(200000);
    const double t0 = seconds();
    for (guint k = 0; k < n; ++k) gst_app_src_push_buffer(GST_APP_SRC(src), gst_buffer_ref(f));
    gst_app_src_end_of_stream(GST_APP_SRC(src));
    GstMessage* m =
        gst_bus_timed_pop_filtered(bus, GST_CLOCK_TIME_NONE, GST_MESSAGE_EOS | GST_MESSAGE_ERROR);
    const double t = seconds() - t0;
    const gboolean ok = GST_MESSAGE_TYPE(m) == GST_MESSAGE_EOS;
    gst_message_unref(m);
    gst_object_unref(bus);
    gst_element_set_state(p, GST_STATE_NULL);
    gst_object_unref(src);
    gst_object_unref(p);
    return ok ? n / t : 0;
}

/* Frames per second of the conversion called directly, one thread, into
 * two frames in turn: the pipeline's pool holds two, as fakesink keeps the
 * last, and a single frame small enough for the cache would measure the
 * cache rather than the element. */
static double direct_fps(guint w, guint h, GstBuffer* f, guint n) {
    GstMapInfo map;
    gst_buffer_map(f, &map, GST_MAP_READ);
    /* Frames from the allocator of the element's own pool. */
    GstAllocator* pages = gst_orvex_frame_allocator_new();
    GstMemory* mem[2] = {gst_allocator_alloc(pages, (gsize)w * h * 4, NULL),
                         gst_allocator_alloc(pages, (gsize)w * h * 4, NULL)};
    GstMapInfo frames[2];
    gst_memory_map(mem[0], &frames[0], GST_MAP_WRITE);
    gst_memory_map(mem[1], &frames[1], GST_MAP_WRITE);
    guint8* out[2] = {frames[0].data, frames[1].data};
    orvex_image src = {map.data, (ptrdiff_t)w, 0, w, h, ORVEX_MOSAIC8, ORVEX_RGGB, 0};
    orvex_image dst[2] = {{out[0], (ptrdiff_t)w * 4, 0, w, h, ORVEX_BGRA32, 0, 0},
                          {out[1], (ptrdiff_t)w * 4, 0, w, h, ORVEX_BGRA32, 0, 0}};
    orvex_options o;
    orvex_init_options(&o);
    o.threads = 1;
    orvex_demosaic(&src, &dst[0], ORVEX_BILINEAR, &o);
    orvex_demosaic(&src, &dst[1], ORVEX_BILINEAR, &o);
    const double t0 = seconds();
    for (guint k = 0; k < n; ++k) orvex_demosaic(&src, &dst[k % 2], ORVEX_BILINEAR, &o);
    const double t = seconds() - t0;
    for (int k = 0; k < 2; ++k) {
        gst_memory_unmap(mem[k], &frames[k]);
        gst_memory_unref(mem[k]);
    }
    gst_object_unref(pages);
    gst_buffer_unmap(f, &map);
    return n / t;
}

/* One figure: `orvex_gst_bench WIDTH HEIGHT FRAMES CONVERTER`, where
 * CONVERTER "direct" is the library called directly; for timing each side
 * of a ratio in processes of its own. */
static int one(char** argv) {
    const guint w = (guint)atoi(argv[1]), h = (guint)atoi(argv[2]), n = (guint)atoi(argv[3]);
    GstBuffer* f = frame(w, h);
    const double fps =
        strcmp(argv[4], "direct") == 0 ? direct_fps(w, h, f, n) : pipeline_fps(argv[4], w, h, f, n);
    printf("%ux%u %s: %.1f fps\n", w, h, argv[4], fps);
    gst_buffer_unref(f);
    return fps > 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    gst_init(&argc, &argv);
    if (argc == 5) return one(argv);
    static const guint sizes[2][2] = {{1920, 1080}, {4096, 3072}};
    static const char* converters[] = {
        "bayer2rgb",
        "orvexdemosaic method=bilinear threads=1",
        "orvexdemosaic method=bilinear threads=0",
        "orvexdemosaic method=mhc threads=0",
    };
    printf("| frame | converter | fps | x bayer2rgb |\n|---|---|---:|---:|\n");
    for (int s = 0; s < 2; ++s) {
        const guint w = sizes[s][0], h = sizes[s][1];
        const guint n = s == 0 ? 300 : 50;
        GstBuffer* f = frame(w, h);
        double peer = 0;
        for (gsize c = 0; c < G_N_ELEMENTS(converters); ++c) {
            const double fps = pipeline_fps(converters[c], w, h, f, n);
            if (c == 0) peer = fps;
            printf("| %ux%u | `%s` | %.1f | %.2f |\n", w, h, converters[c], fps,
                   peer > 0 ? fps / peer : 0);
            if (c == 1) {
                const double direct = direct_fps(w, h, f, n);
                printf(
                    "| %ux%u | orvex_demosaic bilinear, 1 thread, called directly"
                    " | %.1f | %.2f |\n",
                    w, h, direct, peer > 0 ? direct / peer : 0);
            }
        }
        gst_buffer_unref(f);
    }
    return 0;
}
