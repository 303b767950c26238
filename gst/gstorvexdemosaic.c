/* orvexdemosaic: negotiation and the per-buffer call. */
#include "gstorvexdemosaic.h"

#include <string.h>

#include "orvex_frame_memory.h"
#include "orvex_properties.h"

GST_DEBUG_CATEGORY(gst_orvex_demosaic_debug);
#define GST_CAT_DEFAULT gst_orvex_demosaic_debug

G_DEFINE_TYPE(GstOrvexDemosaic, gst_orvex_demosaic, GST_TYPE_BASE_TRANSFORM)
GST_ELEMENT_REGISTER_DEFINE(orvexdemosaic, "orvexdemosaic", GST_RANK_NONE, GST_TYPE_ORVEX_DEMOSAIC)

/* Each structure's size and rate, under the other side's media type and
 * formats. */
static GstCaps* gst_orvex_demosaic_transform_caps(GstBaseTransform* trans,
                                                  GstPadDirection direction, GstCaps* caps,
                                                  GstCaps* filter) {
    (void)trans;
    GstCaps* res = gst_caps_new_empty();
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        const GstStructure* s = gst_caps_get_structure(caps, i);
        GValue formats = G_VALUE_INIT;
        GstStructure* o;
        if (direction == GST_PAD_SINK) {
            const GstOrvexBayerFormat* f =
                gst_orvex_bayer_format_find(gst_structure_get_string(s, "format"));
            o = gst_structure_new_empty("video/x-raw");
            gst_structure_take_value(o, "format", gst_orvex_output_format_list(&formats, f));
        } else {
            o = gst_structure_new_empty("video/x-bayer");
            gst_structure_take_value(o, "format", gst_orvex_bayer_format_list(&formats));
        }
        static const gchar* kept[] = {"width", "height", "framerate"};
        for (gsize k = 0; k < G_N_ELEMENTS(kept); ++k) {
            const GValue* v = gst_structure_get_value(s, kept[k]);
            if (v != NULL) gst_structure_set_value(o, kept[k], v);
        }
        res = gst_caps_merge_structure(res, o);
    }
    if (filter != NULL) {
        GstCaps* both = gst_caps_intersect_full(filter, res, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(res);
        res = both;
    }
    return res;
}

/* Bayer rows without a video meta are padded to 4 bytes, as the elements
 * that allocate them do. */
static gboolean bayer_geometry(const GstCaps* caps, const GstOrvexBayerFormat** f, guint* width,
                               guint* height, gsize* row, gsize* stride) {
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    gint w, h;
    *f = gst_orvex_bayer_format_find(gst_structure_get_string(s, "format"));
    if (*f == NULL || !gst_structure_get_int(s, "width", &w) ||
        !gst_structure_get_int(s, "height", &h) || w <= 0 || h <= 0)
        return FALSE;
    *width = (guint)w;
    *height = (guint)h;
    *row = gst_orvex_bayer_row_bytes(*f, *width);
    *stride = GST_ROUND_UP_4(*row);
    return *row != 0 && *stride <= G_MAXSIZE / *height;
}

static gboolean gst_orvex_demosaic_set_caps(GstBaseTransform* trans, GstCaps* incaps,
                                            GstCaps* outcaps) {
    GstOrvexDemosaic* self = GST_ORVEX_DEMOSAIC(trans);
    const GstOrvexBayerFormat* f;
    guint w, h;
    gsize row, stride;
    GstVideoInfo info;
    if (!bayer_geometry(incaps, &f, &w, &h, &row, &stride)) {
        gchar* in = gst_caps_to_string(incaps);
        GST_ELEMENT_ERROR(self, CORE, NEGOTIATION, (NULL),
                          ("cannot convert %s: the packing needs another width or the frame is "
                           "too large",
                           in));
        g_free(in);
        return FALSE;
    }
    const GstOrvexOutputFormat* out = NULL;
    if (gst_video_info_from_caps(&info, outcaps))
        out = gst_orvex_output_format_find(GST_VIDEO_INFO_FORMAT(&info));
    if (out == NULL || (guint)GST_VIDEO_INFO_WIDTH(&info) != w ||
        (guint)GST_VIDEO_INFO_HEIGHT(&info) != h) {
        gchar *in = gst_caps_to_string(incaps), *out = gst_caps_to_string(outcaps);
        GST_ELEMENT_ERROR(self, CORE, NEGOTIATION, (NULL),
                          ("cannot convert %s into %s: outputs keep the size", in, out));
        g_free(in);
        g_free(out);
        return FALSE;
    }
    self->in = f;
    self->width = w;
    self->height = h;
    self->in_row_bytes = row;
    self->in_stride = stride;
    self->in_size = stride * h;
    self->out_info = info;
    self->out = out;
    return TRUE;
}

static gboolean gst_orvex_demosaic_transform_size(GstBaseTransform* trans,
                                                  GstPadDirection direction, GstCaps* caps,
                                                  gsize size, GstCaps* othercaps,
                                                  gsize* othersize) {
    (void)trans;
    (void)caps;
    (void)size;
    if (direction == GST_PAD_SINK) {
        GstVideoInfo info;
        if (!gst_video_info_from_caps(&info, othercaps)) return FALSE;
        *othersize = GST_VIDEO_INFO_SIZE(&info);
        return TRUE;
    }
    const GstOrvexBayerFormat* f;
    guint w, h;
    gsize row, stride;
    if (!bayer_geometry(othercaps, &f, &w, &h, &row, &stride)) return FALSE;
    *othersize = stride * h;
    return TRUE;
}

/* Upstream may pad rows and say so in a video meta: no copy is needed. */
static gboolean gst_orvex_demosaic_propose_allocation(GstBaseTransform* trans,
                                                      GstQuery* decide_query, GstQuery* query) {
    gst_query_add_allocation_meta(query, GST_VIDEO_META_API_TYPE, NULL);
    return GST_BASE_TRANSFORM_CLASS(gst_orvex_demosaic_parent_class)
        ->propose_allocation(trans, decide_query, query);
}

/* Downstream that offers no pool (fakesink, appsink) gets frames from one
 * of ours: fresh memory for every frame costs more than the fastest
 * methods' conversion. Unless downstream names an allocator, the frames are
 * in huge pages. */
static gboolean gst_orvex_demosaic_decide_allocation(GstBaseTransform* trans, GstQuery* query) {
    GstCaps* caps;
    GstVideoInfo info;
    gst_query_parse_allocation(query, &caps, NULL);
    if (gst_query_get_n_allocation_pools(query) == 0 && caps != NULL &&
        gst_video_info_from_caps(&info, caps)) {
        GstBufferPool* pool = gst_video_buffer_pool_new();
        gst_query_add_allocation_pool(query, pool, GST_VIDEO_INFO_SIZE(&info), 2, 0);
        gst_object_unref(pool);
        if (gst_query_get_n_allocation_params(query) == 0) {
            GstAllocator* allocator = gst_orvex_frame_allocator_new();
            GstAllocationParams params;
            gst_allocation_params_init(&params);
            gst_query_add_allocation_param(query, allocator, &params);
            gst_object_unref(allocator);
        }
    }
    return GST_BASE_TRANSFORM_CLASS(gst_orvex_demosaic_parent_class)
        ->decide_allocation(trans, query);
}

static GstFlowReturn gst_orvex_demosaic_transform(GstBaseTransform* trans, GstBuffer* inbuf,
                                                  GstBuffer* outbuf) {
    GstOrvexDemosaic* self = GST_ORVEX_DEMOSAIC(trans);
    GstOrvexSettings s;
    gst_orvex_settings_for_buffer(self, &s);
    return gst_orvex_demosaic_convert(self, inbuf, outbuf, &s);
}

static void gst_orvex_demosaic_class_init(GstOrvexDemosaicClass* klass) {
    GObjectClass* gobject_class = G_OBJECT_CLASS(klass);
    GstElementClass* element_class = GST_ELEMENT_CLASS(klass);
    GstBaseTransformClass* trans_class = GST_BASE_TRANSFORM_CLASS(klass);

    GST_DEBUG_CATEGORY_INIT(gst_orvex_demosaic_debug, "orvexdemosaic", 0,
                            "Bayer mosaics to colour video");
    gst_orvex_install_properties(gobject_class);

    GstCaps* sink = gst_orvex_sink_template_caps();
    GstCaps* src = gst_orvex_src_template_caps();
    gst_element_class_add_pad_template(
        element_class, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, sink));
    gst_element_class_add_pad_template(
        element_class, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, src));
    gst_caps_unref(sink);
    gst_caps_unref(src);
    gst_element_class_set_static_metadata(
        element_class, "Bayer demosaic (orvex)", "Filter/Converter/Video",
        "Converts Bayer mosaics, 8 to 16 bits and bit-packed camera rows, into "
        "colour video by any method of liborvex2, on several threads",
        "orvex developers");

    trans_class->transform_caps = GST_DEBUG_FUNCPTR(gst_orvex_demosaic_transform_caps);
    trans_class->set_caps = GST_DEBUG_FUNCPTR(gst_orvex_demosaic_set_caps);
    trans_class->transform_size = GST_DEBUG_FUNCPTR(gst_orvex_demosaic_transform_size);
    trans_class->propose_allocation = GST_DEBUG_FUNCPTR(gst_orvex_demosaic_propose_allocation);
    trans_class->decide_allocation = GST_DEBUG_FUNCPTR(gst_orvex_demosaic_decide_allocation);
    trans_class->transform = GST_DEBUG_FUNCPTR(gst_orvex_demosaic_transform);
}

static void gst_orvex_demosaic_init(GstOrvexDemosaic* self) {
    gst_orvex_settings_init(self);
}

static gboolean plugin_init(GstPlugin* plugin) {
    return GST_ELEMENT_REGISTER(orvexdemosaic, plugin);
}

#ifndef PACKAGE
#define PACKAGE "orvex"
#endif

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, orvex, "Bayer demosaicing by liborvex2",
                  plugin_init, ORVEX_VERSION, "Proprietary", "orvex", "orvex")
