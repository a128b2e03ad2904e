/* A stand-in sound card mixer for the tests: an ALSA control plugin with one
 * stereo "Master Playback Volume" element whose value lives in a text file
 * ("left right"), so machines without sound hardware still have a mixer.
 *   ctl.!default { type dkwt_test; file "/path/volume" }
 *   ctl_type.dkwt_test { lib "/path/to/this/module.so" } */
#include <alsa/asoundlib.h>
#include <alsa/control_external.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define ELEMENT_NAME "Master Playback Volume"
#define VOLUME_MIN 0
/* An odd range, so fractions are really scaled, not taken as percent. */
#define VOLUME_MAX 87

typedef struct {
  snd_ctl_ext_t ext;
  char* file;
} test_mixer_t;

static void load_values(const test_mixer_t* mixer, long* values) {
  FILE* in = fopen(mixer->file, "r");
  values[0] = values[1] = VOLUME_MAX / 2;
  if (!in)
    return;
  if (fscanf(in, "%ld %ld", &values[0], &values[1]) != 2)
    values[0] = values[1] = VOLUME_MAX / 2;
  fclose(in);
}

static int save_values(const test_mixer_t* mixer, const long* values) {
  FILE* out = fopen(mixer->file, "w");
  if (!out)
    return -EIO;
  fprintf(out, "%ld %ld\n", values[0], values[1]);
  return fclose(out) == 0 ? 0 : -EIO;
}

static int elem_count(snd_ctl_ext_t* ext) {
  (void)ext;
  return 1;
}

static int elem_list(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id) {
  (void)ext;
  if (offset != 0)
    return -EINVAL;
  snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
  snd_ctl_elem_id_set_name(id, ELEMENT_NAME);
  return 0;
}

static snd_ctl_ext_key_t find_elem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
  (void)ext;
  return strcmp(snd_ctl_elem_id_get_name(id), ELEMENT_NAME) == 0 ? 0 : SND_CTL_EXT_KEY_NOT_FOUND;
}

static int get_attribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* access,
                         unsigned int* count) {
  (void)ext;
  if (key != 0)
    return -EINVAL;
  *type = SND_CTL_ELEM_TYPE_INTEGER;
  *access = SND_CTL_EXT_ACCESS_READWRITE;
  *count = 2;
  return 0;
}

static int get_integer_info(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* minimum, long* maximum, long* step) {
  (void)ext;
  if (key != 0)
    return -EINVAL;
  *minimum = VOLUME_MIN;
  *maximum = VOLUME_MAX;
  *step = 1;
  return 0;
}

static int read_integer(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
  if (key != 0)
    return -EINVAL;
  load_values(ext->private_data, value);
  return 0;
}

static int write_integer(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
  if (key != 0)
    return -EINVAL;
  int err = save_values(ext->private_data, value);
  return err < 0 ? err : 1;
}

static int read_event(snd_ctl_ext_t* ext, snd_ctl_elem_id_t* id, unsigned int* event_mask) {
  (void)ext;
  (void)id;
  (void)event_mask;
  return -EAGAIN;
}

static void close_mixer(snd_ctl_ext_t* ext) {
  test_mixer_t* mixer = ext->private_data;
  free(mixer->file);
  free(mixer);
}

static const snd_ctl_ext_callback_t callbacks = {
    .elem_count = elem_count,
    .elem_list = elem_list,
    .find_elem = find_elem,
    .get_attribute = get_attribute,
    .get_integer_info = get_integer_info,
    .read_integer = read_integer,
    .write_integer = write_integer,
    .read_event = read_event,
    .close = close_mixer,
};

SND_CTL_PLUGIN_DEFINE_FUNC(dkwt_test) {
  (void)root;
  const char* file = NULL;
  snd_config_iterator_t it, next;
  snd_config_for_each(it, next, conf) {
    snd_config_t* node = snd_config_iterator_entry(it);
    const char* key;
    if (snd_config_get_id(node, &key) < 0)
      continue;
    if (strcmp(key, "comment") == 0 || strcmp(key, "type") == 0 || strcmp(key, "hint") == 0)
      continue;
    if (strcmp(key, "file") == 0 && snd_config_get_string(node, &file) >= 0)
      continue;
    SNDERR("Unknown field %s", key);
    return -EINVAL;
  }
  if (!file) {
    SNDERR("No file given");
    return -EINVAL;
  }
  test_mixer_t* mixer = calloc(1, sizeof *mixer);
  if (!mixer)
    return -ENOMEM;
  mixer->file = strdup(file);
  mixer->ext.version = SND_CTL_EXT_VERSION;
  mixer->ext.card_idx = 0;
  strncpy(mixer->ext.id, "DkwtTest", sizeof mixer->ext.id - 1);
  strncpy(mixer->ext.driver, "dkwt_test", sizeof mixer->ext.driver - 1);
  strncpy(mixer->ext.name, "Test mixer", sizeof mixer->ext.name - 1);
  strncpy(mixer->ext.longname, "Test mixer", sizeof mixer->ext.longname - 1);
  strncpy(mixer->ext.mixername, "Test mixer", sizeof mixer->ext.mixername - 1);
  mixer->ext.poll_fd = -1;
  mixer->ext.callback = &callbacks;
  mixer->ext.private_data = mixer;
  int err = snd_ctl_ext_create(&mixer->ext, name, mode);
  if (err < 0) {
    free(mixer->file);
    free(mixer);
    return err;
  }
  *handlep = mixer->ext.handle;
  return 0;
}

SND_CTL_PLUGIN_SYMBOL(dkwt_test)
