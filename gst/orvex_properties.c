#include "orvex_properties.h"

#include <string.h>

enum {
    PROP_0,
    PROP_METHOD,
    PROP_THREADS,
    PROP_BLACK,
    PROP_WHITE,
    PROP_GAINS,
    PROP_MATRIX,
    PROP_TRANSFER,
    PROP_BITS
};

/* The methods as the library names them, listed once from it. */
static GType method_type(void) {
    static gsize type = 0;
    if (g_once_init_enter(&type)) {
        guint n = 0;
        while (orvex_method_name(n + 1) != NULL) ++n;
        GEnumValue* values = g_new0(GEnumValue, n + 1);
        for (guint k = 0; k < n; ++k) {
            values[k].value = (gint)(k + 1);
            values[k].value_name = orvex_method_name(k + 1);
            values[k].value_nick = orvex_method_name(k + 1);
        }
        g_once_init_leave(&type, g_enum_register_static("GstOrvexMethod", values));
    }
    return (GType)type;
}

static GType transfer_type(void) {
    static gsize type = 0;
    static const GEnumValue values[] = {
        {ORVEX_TRANSFER_LINEAR, "values as the matrix gives them", "linear"},
        {ORVEX_TRANSFER_SRGB, "the sRGB curve", "srgb"},
        {0, NULL, NULL}};
    if (g_once_init_enter(&type))
        g_once_init_leave(&type, g_enum_register_static("GstOrvexTransfer", values));
    return (GType)type;
}

static GParamSpec* float_array(const gchar* name, gfloat least, const gchar* blurb) {
    return gst_param_spec_array(
        name, name, blurb,
        g_param_spec_float("value", "value", "value", least, G_MAXFLOAT, 1,
                           G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS),
        G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING);
}

static void set_property(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
    GstOrvexDemosaic* self = GST_ORVEX_DEMOSAIC(object);
    GstOrvexSettings* s = &self->settings;
    GST_OBJECT_LOCK(self);
    switch (id) {
        case PROP_METHOD:
            s->method = (guint)g_value_get_enum(value);
            break;
        case PROP_THREADS:
            s->threads = g_value_get_uint(value);
            break;
        case PROP_BLACK:
            s->black = g_value_get_uint(value);
            break;
        case PROP_WHITE:
            s->white = g_value_get_uint(value);
            break;
        case PROP_BITS:
            s->bits = g_value_get_uint(value);
            break;
        case PROP_TRANSFER:
            s->transfer = (guint)g_value_get_enum(value);
            break;
        case PROP_GAINS: {
            const guint n = gst_value_array_get_size(value);
            gfloat g[4];
            for (guint k = 0; k < n && k < 4; ++k)
                g[k] = g_value_get_float(gst_value_array_get_value(value, k));
            if (n == 3) {
                self->gains_rgb = TRUE;
                memcpy(self->gain_rgb, g, sizeof self->gain_rgb);
            } else if (n == 4) {
                self->gains_rgb = FALSE;
                memcpy(s->gain, g, sizeof s->gain);
            } else {
                g_warning("gains takes 3 (R, G, B) or 4 (per site) values, not %u", n);
            }
            break;
        }
        case PROP_MATRIX: {
            const guint n = gst_value_array_get_size(value);
            if (n != 9) {
                g_warning("color-matrix takes 9 values, not %u", n);
                break;
            }
            for (guint k = 0; k < 9; ++k)
                s->matrix[k] = g_value_get_float(gst_value_array_get_value(value, k));
            break;
        }
        default:
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
    }
    GST_OBJECT_UNLOCK(self);
}

static void append_floats(GValue* array, const gfloat* v, guint n) {
    for (guint k = 0; k < n; ++k) {
        GValue f = G_VALUE_INIT;
        g_value_init(&f, G_TYPE_FLOAT);
        g_value_set_float(&f, v[k]);
        gst_value_array_append_and_take_value(array, &f);
    }
}

static void get_property(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
    GstOrvexDemosaic* self = GST_ORVEX_DEMOSAIC(object);
    const GstOrvexSettings* s = &self->settings;
    GST_OBJECT_LOCK(self);
    switch (id) {
        case PROP_METHOD:
            g_value_set_enum(value, (gint)s->method);
            break;
        case PROP_THREADS:
            g_value_set_uint(value, s->threads);
            break;
        case PROP_BLACK:
            g_value_set_uint(value, s->black);
            break;
        case PROP_WHITE:
            g_value_set_uint(value, s->white);
            break;
        case PROP_BITS:
            g_value_set_uint(value, s->bits);
            break;
        case PROP_TRANSFER:
            g_value_set_enum(value, (gint)s->transfer);
            break;
        case PROP_GAINS:
            if (self->gains_rgb)
                append_floats(value, self->gain_rgb, 3);
            else
                append_floats(value, s->gain, 4);
            break;
        case PROP_MATRIX:
            append_floats(value, s->matrix, 9);
            break;
        default:
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
    }
    GST_OBJECT_UNLOCK(self);
}

void gst_orvex_install_properties(GObjectClass* c) {
    const GParamFlags rw = G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING;
    c->set_property = set_property;
    c->get_property = get_property;
    g_object_class_install_property(
        c, PROP_METHOD,
        g_param_spec_enum("method", "Method", "Demosaicing method", method_type(), ORVEX_MHC, rw));
    g_object_class_install_property(
        c, PROP_THREADS,
        g_param_spec_uint("threads", "Threads", "Threads a frame is split over (0 = one per core)",
                          0, 1024, 0, rw));
    g_object_class_install_property(
        c, PROP_BLACK,
        g_param_spec_uint("black-level", "Black level", "Black level of the samples", 0, 65535, 0,
                          rw));
    g_object_class_install_property(
        c, PROP_WHITE,
        g_param_spec_uint("white-level", "White level",
                          "Saturation level of the samples (0 = the largest value of their "
                          "bits)",
                          0, 65535, 0, rw));
    g_object_class_install_property(
        c, PROP_GAINS,
        float_array("gains", 0,
                    "White-balance gains: R, G, B, or four of the top-left cell's "
                    "sites row by row"));
    g_object_class_install_property(
        c, PROP_MATRIX,
        float_array("color-matrix", -G_MAXFLOAT, "Colour matrix, 9 values row by row"));
    g_object_class_install_property(
        c, PROP_TRANSFER,
        g_param_spec_enum("transfer", "Transfer", "Transfer curve of the output", transfer_type(),
                          ORVEX_TRANSFER_LINEAR, rw));
    g_object_class_install_property(c, PROP_BITS,
                                    g_param_spec_uint("bits", "Bits",
                                                      "Significant bits of 16-bit samples "
                                                      "(0 = from the caps format)",
                                                      0, 16, 0, rw));
}

void gst_orvex_settings_init(GstOrvexDemosaic* self) {
    GstOrvexSettings* s = &self->settings;
    memset(s, 0, sizeof *s);
    s->method = ORVEX_MHC;
    for (int k = 0; k < 4; ++k) s->gain[k] = 1;
    s->matrix[0] = s->matrix[4] = s->matrix[8] = 1;
    s->transfer = ORVEX_TRANSFER_LINEAR;
}

void gst_orvex_settings_for_buffer(GstOrvexDemosaic* self, GstOrvexSettings* s) {
    GST_OBJECT_LOCK(self);
    *s = self->settings;
    if (self->gains_rgb) {
        /* The sites of the top-left cell by colour: green is on the diagonal
         * of RGGB and BGGR, off it for GRBG and GBRG. */
        static const guint8 colour[4][4] = {{0, 1, 1, 2}, {1, 0, 2, 1}, {1, 2, 0, 1}, {2, 1, 1, 0}};
        for (int k = 0; k < 4; ++k) s->gain[k] = self->gain_rgb[colour[self->in->pattern][k]];
    }
    GST_OBJECT_UNLOCK(self);
}
