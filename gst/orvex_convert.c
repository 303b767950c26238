/* One frame through orvex_demosaic, straight between the mapped buffers:
 * the rows where the buffers' video meta (or the caps) put them. */
#include "gstorvexdemosaic.h"

GST_DEBUG_CATEGORY_EXTERN(gst_orvex_demosaic_debug);
#define GST_CAT_DEFAULT gst_orvex_demosaic_debug

/* Where the mosaic's rows are: the video meta's plane 0, else the caps'
 * rows padded to 4 bytes. */
static gboolean source_rows(GstOrvexDemosaic* self, GstBuffer* inbuf, gsize* offset, gsize* stride,
                            gsize* needed) {
    GstVideoMeta* meta = gst_buffer_get_video_meta(inbuf);
    if (meta == NULL) {
        *offset = 0;
        *stride = self->in_stride;
        *needed = self->in_size;
        return TRUE;
    }
    if (meta->stride[0] < 0 || (gsize)meta->stride[0] < self->in_row_bytes ||
        meta->width != self->width || meta->height != self->height) {
        GST_ELEMENT_ERROR(self, STREAM, FORMAT, (NULL),
                          ("video meta of %ux%u with a stride of %d bytes does not hold %ux%u "
                           "%s rows of %" G_GSIZE_FORMAT " bytes",
                           meta->width, meta->height, meta->stride[0], self->width, self->height,
                           self->in->name, self->in_row_bytes));
        return FALSE;
    }
    *offset = meta->offset[0];
    *stride = (gsize)meta->stride[0];
    *needed = *offset + *stride * (self->height - 1) + self->in_row_bytes;
    return TRUE;
}

/* The destination view of a mapped frame; planar RGB needs evenly spaced
 * planes of one stride. */
static gboolean destination(GstOrvexDemosaic* self, GstVideoFrame* frame, orvex_image* dst) {
    dst->data = GST_VIDEO_FRAME_PLANE_DATA(frame, 0);
    dst->stride = GST_VIDEO_FRAME_PLANE_STRIDE(frame, 0);
    dst->plane_stride = 0;
    dst->width = self->width;
    dst->height = self->height;
    dst->format = self->out->layout;
    dst->pattern = 0;
    dst->bits = 0;
    if (GST_VIDEO_FRAME_N_PLANES(frame) == 3) {
        guint8* p0 = GST_VIDEO_FRAME_PLANE_DATA(frame, 0);
        guint8* p1 = GST_VIDEO_FRAME_PLANE_DATA(frame, 1);
        guint8* p2 = GST_VIDEO_FRAME_PLANE_DATA(frame, 2);
        if (p1 - p0 != p2 - p1 || GST_VIDEO_FRAME_PLANE_STRIDE(frame, 1) != dst->stride ||
            GST_VIDEO_FRAME_PLANE_STRIDE(frame, 2) != dst->stride) {
            GST_ELEMENT_ERROR(self, STREAM, FORMAT, (NULL),
                              ("planar output needs three planes of one stride, evenly spaced"));
            return FALSE;
        }
        dst->plane_stride = p1 - p0;
    }
    return TRUE;
}

static void fill_options(GstOrvexDemosaic* self, const GstOrvexSettings* s, guint bits,
                         orvex_image* src, orvex_options* o) {
    orvex_init_options(o);
    o->threads = s->threads;
    for (int k = 0; k < 4; ++k) {
        o->black[k] = s->black;
        o->gain[k] = s->gain[k];
    }
    for (int k = 0; k < 9; ++k) o->matrix[k] = s->matrix[k];
    o->transfer = s->transfer;
    o->white = s->white;
    /* Only 16-bit containers hold fewer significant bits than they store. */
    const gboolean container =
        self->in->format == ORVEX_MOSAIC16 || self->in->format == ORVEX_MOSAIC16_BE;
    src->bits = container ? bits : 0;
    /* 16-bit outputs hold full-range samples, as elements downstream expect. */
    o->full_range = self->out->wide ? 1 : 0;
}

GstFlowReturn gst_orvex_demosaic_convert(GstOrvexDemosaic* self, GstBuffer* inbuf,
                                         GstBuffer* outbuf, const GstOrvexSettings* s) {
    gsize offset, stride, needed;
    if (!source_rows(self, inbuf, &offset, &stride, &needed)) return GST_FLOW_ERROR;
    GstMapInfo in;
    if (!gst_buffer_map(inbuf, &in, GST_MAP_READ)) {
        GST_ELEMENT_ERROR(self, RESOURCE, READ, (NULL), ("cannot map input"));
        return GST_FLOW_ERROR;
    }
    if (in.size < needed) {
        GST_ELEMENT_ERROR(
            self, STREAM, FORMAT, (NULL),
            ("input buffer of %" G_GSIZE_FORMAT " bytes is smaller than the %" G_GSIZE_FORMAT
             " bytes of a %ux%u %s frame",
             in.size, needed, self->width, self->height, self->in->name));
        gst_buffer_unmap(inbuf, &in);
        return GST_FLOW_ERROR;
    }
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &self->out_info, outbuf, GST_MAP_WRITE)) {
        GST_ELEMENT_ERROR(self, STREAM, FORMAT, (NULL),
                          ("output buffer of %" G_GSIZE_FORMAT " bytes does not hold a %s frame",
                           gst_buffer_get_size(outbuf), GST_VIDEO_INFO_NAME(&self->out_info)));
        gst_buffer_unmap(inbuf, &in);
        return GST_FLOW_ERROR;
    }
    GstFlowReturn ret = GST_FLOW_OK;
    orvex_image src = {in.data + offset, (ptrdiff_t)stride, 0, self->width, self->height,
                       self->in->format, self->in->pattern, 0};
    orvex_image dst;
    const guint bits = s->bits != 0 ? s->bits : self->in->bits;
    if (!destination(self, &frame, &dst)) {
        ret = GST_FLOW_ERROR;
    } else {
        orvex_options o;
        fill_options(self, s, bits, &src, &o);
        const int status = orvex_demosaic(&src, &dst, s->method, &o);
        if (status != ORVEX_OK) {
            GST_ELEMENT_ERROR(
                self, STREAM, FAILED, (NULL),
                ("%s of a %ux%u %s frame (%u bits) into %s failed: %s",
                 orvex_method_name(s->method), self->width, self->height, self->in->name, bits,
                 GST_VIDEO_INFO_NAME(&self->out_info), orvex_status_text(status)));
            ret = GST_FLOW_ERROR;
        }
    }
    gst_video_frame_unmap(&frame);
    gst_buffer_unmap(inbuf, &in);
    return ret;
}
