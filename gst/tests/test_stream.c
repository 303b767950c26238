/* orvexdemosaic in a stream: padded rows, property changes, short buffers
 * and renegotiation, each checked against the library. */
#include "check_support.h"

/* Rows where the video meta puts them: stride beyond the row, an offset. */
GST_START_TEST(video_meta_strides_and_offsets) {
    orvex_options o;
    orvex_init_options(&o);
    const Input* in = &inputs[5];
    const guint w = 41, h = 9;
    const gsize stride = 2 * w + 30, offset = 6;
    GstHarness* hr = harness(in->in, "BGRx", w, h);
    GstBuffer* buf = mosaic(in, w, h, stride, offset);
    gsize offsets[4] = {offset};
    gint strides[4] = {(gint)stride};
    gst_buffer_add_video_meta_full(buf, GST_VIDEO_FRAME_FLAG_NONE, GST_VIDEO_FORMAT_ENCODED, w, h,
                                   1, offsets, strides);
    GstBuffer* keep = gst_buffer_ref(buf);
    GstBuffer* out = gst_harness_push_and_pull(hr, buf);
    GstVideoInfo vi;
    info_of(&vi, "BGRx", w, h);
    expect_converted(in, ORVEX_BGRA32, keep, stride, offset, out, &vi, ORVEX_MHC, &o);
    gst_buffer_unref(out);
    gst_buffer_unref(keep);
    gst_harness_teardown(hr);
}

GST_END_TEST;

/* A change of properties applies from the next buffer; timestamps,
 * durations and flags pass through. */
GST_START_TEST(properties_change_between_buffers) {
    const Input* in = &inputs[3];
    const guint w = 64, h = 32;
    GstHarness* hr = harness(in->in, "RGB", w, h);
    GstVideoInfo vi;
    info_of(&vi, "RGB", w, h);
    GstBuffer* buf = mosaic(in, w, h, w, 0);
    orvex_options o;
    orvex_init_options(&o);
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            gst_util_set_object_arg(G_OBJECT(hr->element), "method", "dlmmse");
            gst_util_set_object_arg(G_OBJECT(hr->element), "gains", "<2.0, 1.0, 1.5>");
            gst_util_set_object_arg(G_OBJECT(hr->element), "black-level", "16");
            gst_util_set_object_arg(G_OBJECT(hr->element), "transfer", "srgb");
            /* RGGB: R at the top left, B at the bottom right. */
            const float gains[4] = {2.0f, 1.0f, 1.0f, 1.5f};
            memcpy(o.gain, gains, sizeof gains);
            for (int k = 0; k < 4; ++k) o.black[k] = 16;
            o.transfer = ORVEX_TRANSFER_SRGB;
        }
        GstBuffer* push = gst_buffer_copy(buf);
        GST_BUFFER_PTS(push) = (pass + 1) * GST_SECOND;
        GST_BUFFER_DURATION(push) = GST_SECOND / 30;
        GST_BUFFER_FLAG_SET(push, GST_BUFFER_FLAG_DISCONT);
        GstBuffer* out = gst_harness_push_and_pull(hr, push);
        fail_unless_equals_uint64(GST_BUFFER_PTS(out), (pass + 1) * GST_SECOND);
        fail_unless_equals_uint64(GST_BUFFER_DURATION(out), GST_SECOND / 30);
        fail_unless(GST_BUFFER_FLAG_IS_SET(out, GST_BUFFER_FLAG_DISCONT));
        expect_converted(in, ORVEX_RGB24, buf, w, 0, out, &vi, pass == 0 ? ORVEX_MHC : ORVEX_DLMMSE,
                         &o);
        gst_buffer_unref(out);
    }
    gst_buffer_unref(buf);
    gst_harness_teardown(hr);
}

GST_END_TEST;

/* A buffer one byte short is an error naming both sizes; the wrapped
 * memory ends there, so a read beyond it would be caught. */
GST_START_TEST(truncated_buffer_is_an_error) {
    const guint w = 30, h = 8;
    GstHarness* hr = harness("bggr", "RGB", w, h);
    GstBus* bus = gst_bus_new();
    gst_element_set_bus(hr->element, bus);
    const gsize size = GST_ROUND_UP_4(w) * h - 1;
    GstBuffer* buf = gst_buffer_new_wrapped(g_malloc0(size), size);
    fail_unless_equals_int(gst_harness_push(hr, buf), GST_FLOW_ERROR);
    GstMessage* m = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    fail_unless(m != NULL);
    GError* err;
    gchar* debug;
    gst_message_parse_error(m, &err, &debug);
    fail_unless(strstr(debug, "255 bytes") && strstr(debug, "256 bytes"), "%s", debug);
    g_error_free(err);
    g_free(debug);
    gst_message_unref(m);
    gst_element_set_bus(hr->element, NULL);
    gst_object_unref(bus);
    gst_harness_teardown(hr);
}

GST_END_TEST;

/* 1920x1080 then 640x480 in one stream. */
GST_START_TEST(renegotiation_to_a_smaller_frame) {
    orvex_options o;
    orvex_init_options(&o);
    const Input* in = &inputs[1];
    GstHarness* hr = harness(in->in, "RGBx", 1920, 1080);
    static const guint sizes[2][2] = {{1920, 1080}, {640, 480}};
    for (int k = 0; k < 2; ++k) {
        const guint w = sizes[k][0], h = sizes[k][1];
        gchar* caps = g_strdup_printf(
            "video/x-raw,format=RGBx,width=%u,"
            "height=%u,framerate=30/1",
            w, h);
        gst_harness_set_sink_caps_str(hr, caps);
        g_free(caps);
        caps = g_strdup_printf(
            "video/x-bayer,format=%s,width=%u,height=%u,"
            "framerate=30/1",
            in->in, w, h);
        gst_harness_set_src_caps_str(hr, caps);
        g_free(caps);
        GstBuffer* buf = mosaic(in, w, h, w, 0);
        GstBuffer* keep = gst_buffer_ref(buf);
        GstBuffer* out = gst_harness_push_and_pull(hr, buf);
        GstVideoInfo vi;
        info_of(&vi, "RGBx", w, h);
        expect_converted(in, ORVEX_RGBA32, keep, w, 0, out, &vi, ORVEX_MHC, &o);
        gst_buffer_unref(out);
        gst_buffer_unref(keep);
    }
    gst_harness_teardown(hr);
}

GST_END_TEST;

static Suite* orvexdemosaic_stream_suite(void) {
    Suite* s = suite_create("orvexdemosaic_stream");
    TCase* tc = tcase_create("general");
    tcase_set_timeout(tc, 300);
    suite_add_tcase(s, tc);
    tcase_add_test(tc, video_meta_strides_and_offsets);
    tcase_add_test(tc, properties_change_between_buffers);
    tcase_add_test(tc, truncated_buffer_is_an_error);
    tcase_add_test(tc, renegotiation_to_a_smaller_frame);
    return s;
}

GST_CHECK_MAIN(orvexdemosaic_stream);
