/* orvexdemosaic against orvex_demosaic of the same buffers, byte for byte:
 * every format pair, the peer's mosaics, widths a packing cannot hold. */
#include "check_support.h"

/* Every input format into every output it offers, odd widths where the
 * packing allows, rows padded as the caps say; the methods in turn. */
GST_START_TEST(every_format_pair_equals_the_library) {
    orvex_options o;
    orvex_init_options(&o);
    guint method = 1;
    for (gsize i = 0; i < G_N_ELEMENTS(inputs); ++i)
        for (gsize k = 0; k < G_N_ELEMENTS(outputs); ++k) {
            const Input* in = &inputs[i];
            const gboolean quads =
                in->format == ORVEX_MOSAIC10_MIPI || in->format == ORVEX_MOSAIC14_MIPI;
            const guint w = quads ? 36
                            : (in->format == ORVEX_MOSAIC8 || in->format == ORVEX_MOSAIC16 ||
                               in->format == ORVEX_MOSAIC16_BE || in->format == ORVEX_MOSAIC10_PFNC)
                                ? 37
                                : 38,
                        h = 11;
            GstHarness* hr = harness(in->in, outputs[k].out, w, h);
            gst_util_set_object_arg(G_OBJECT(hr->element), "method", orvex_method_name(method));
            const gsize stride = caps_stride(in, w);
            GstBuffer* buf = mosaic(in, w, h, stride, 0);
            GstBuffer* keep = gst_buffer_ref(buf);
            const GstFlowReturn ret = gst_harness_push(hr, buf);
            fail_unless(ret == GST_FLOW_OK, "%s -> %s: %s", in->in, outputs[k].out,
                        gst_flow_get_name(ret));
            GstBuffer* out = gst_harness_pull(hr);
            GstVideoInfo vi;
            info_of(&vi, outputs[k].out, w, h);
            expect_converted(in, outputs[k].layout, keep, stride, 0, out, &vi, method, &o);
            gst_buffer_unref(out);
            gst_buffer_unref(keep);
            gst_harness_teardown(hr);
            method = method % 6 + 1;
        }
}

GST_END_TEST;

/* Every value of every width into GRAY16_LE comes out as round(v x 65535 /
 * (2^bits - 1)), stated here in integers: cells of one value each, which
 * the block method gives to all four of their pixels. Widths the caps do
 * not name come from the bits property. */
GST_START_TEST(full_range_of_every_value) {
    static const struct {
        const gchar* caps;
        guint bits, property;
    } widths[] = {
        {"rggb", 8, 0},       {"rggb16le", 9, 9},   {"rggb10le", 10, 0},
        {"rggb16le", 11, 11}, {"rggb12be", 12, 0},  {"rggb16le", 13, 13},
        {"rggb14le", 14, 0},  {"rggb16le", 15, 15}, {"rggb16be", 16, 0},
    };
    for (gsize i = 0; i < G_N_ELEMENTS(widths); ++i) {
        const guint m = (1u << widths[i].bits) - 1, w = 2 * (m + 1), h = 2;
        const gboolean big = g_str_has_suffix(widths[i].caps, "be");
        const gsize sample = widths[i].bits == 8 ? 1 : 2;
        guint8* data = g_malloc(sample * w * h);
        for (guint y = 0; y < h; ++y)
            for (guint x = 0; x < w; ++x) {
                const guint v = x / 2;
                guint8* at = data + sample * ((gsize)y * w + x);
                if (sample == 1)
                    at[0] = (guint8)v;
                else if (big)
                    at[0] = (guint8)(v >> 8), at[1] = (guint8)v;
                else
                    at[0] = (guint8)v, at[1] = (guint8)(v >> 8);
            }
        GstHarness* hr = harness(widths[i].caps, "GRAY16_LE", w, h);
        gst_util_set_object_arg(G_OBJECT(hr->element), "method", "block");
        g_object_set(hr->element, "bits", widths[i].property, NULL);
        GstBuffer* out =
            gst_harness_push_and_pull(hr, gst_buffer_new_wrapped(data, sample * w * h));
        fail_unless(out != NULL);
        GstMapInfo map;
        fail_unless(gst_buffer_map(out, &map, GST_MAP_READ));
        fail_unless(map.size >= 2 * (gsize)w * h);
        for (guint x = 0; x < w * h; ++x) {
            const guint v = (x % w) / 2;
            const guint want = (guint)((2ull * v * 65535 + m) / (2ull * m));
            const guint got = map.data[2 * x] | map.data[2 * x + 1] << 8;
            fail_unless(got == want, "%s, %u bits: %u came out as %u, not %u", widths[i].caps,
                        widths[i].bits, v, got, want);
        }
        gst_buffer_unmap(out, &map);
        gst_buffer_unref(out);
        gst_harness_teardown(hr);
    }
}

GST_END_TEST;

/* rgb2bayer's mosaics, with the peer's 4-byte row padding (odd width). */
GST_START_TEST(rgb2bayer_frames_equal_the_library) {
    GstElement* p = gst_parse_launch(
        "videotestsrc num-buffers=1 pattern=ball "
        "! video/x-raw,width=161,height=90 ! rgb2bayer "
        "! video/x-bayer,format=gbrg ! appsink name=s",
        NULL);
    fail_unless(p != NULL);
    GstElement* sink = gst_bin_get_by_name(GST_BIN(p), "s");
    gst_element_set_state(p, GST_STATE_PLAYING);
    GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(sink));
    fail_unless(sample != NULL);
    GstBuffer* buf = gst_buffer_ref(gst_sample_get_buffer(sample));
    orvex_options o;
    orvex_init_options(&o);
    GstHarness* hr = harness("gbrg", "BGR", 161, 90);
    GstBuffer* out = gst_harness_push_and_pull(hr, gst_buffer_ref(buf));
    GstVideoInfo vi;
    info_of(&vi, "BGR", 161, 90);
    expect_converted(&inputs[2], ORVEX_BGR24, buf, 164, 0, out, &vi, ORVEX_MHC, &o);
    gst_buffer_unref(out);
    gst_buffer_unref(buf);
    gst_harness_teardown(hr);
    gst_sample_unref(sample);
    gst_object_unref(sink);
    gst_element_set_state(p, GST_STATE_NULL);
    gst_object_unref(p);
}

GST_END_TEST;

/* Caps the packing cannot hold fail negotiation. */
GST_START_TEST(unsupported_width_fails_negotiation) {
    GstHarness* hr = harness("rggb10mipi", "RGB", 30, 4);
    GstBuffer* buf = gst_buffer_new_allocate(NULL, 4096, NULL);
    fail_unless_equals_int(gst_harness_push(hr, buf), GST_FLOW_NOT_NEGOTIATED);
    gst_harness_teardown(hr);
}

GST_END_TEST;

static Suite* orvexdemosaic_formats_suite(void) {
    Suite* s = suite_create("orvexdemosaic_formats");
    TCase* tc = tcase_create("general");
    tcase_set_timeout(tc, 300);
    suite_add_tcase(s, tc);
    tcase_add_test(tc, every_format_pair_equals_the_library);
    tcase_add_test(tc, full_range_of_every_value);
    tcase_add_test(tc, rgb2bayer_frames_equal_the_library);
    tcase_add_test(tc, unsupported_width_fails_negotiation);
    return s;
}

GST_CHECK_MAIN(orvexdemosaic_formats);
