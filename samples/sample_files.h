// The sample data set: the photograph of the facade and the text files that
// go with it, written from the ground truth of samples/facade.h.
//
//   facciata.jpg            the photograph (SampleWidth × SampleHeight)
//   facciata.ogg            the targets' object coordinates, as Vek saves them
//   facciata.imm            the targets' true image positions, rounded to pixels
//   facciata_omografia.txt  p1..p8 of the direct (image -> object) and the
//                           inverse (object -> image) transformation
//   facciata_rette.txt      three horizontal and three vertical facade edges
#pragma once

#include <string>
#include <vector>

#include "platform/filewrite.h"

inline constexpr const char* kSamplePicture = "facciata.jpg";
// The text files, in the order they are written.
const std::vector<std::string>& SampleTextFiles();

// The bytes of one of SampleTextFiles (Windows-1252, CR LF); empty for any
// other name.
std::string SampleText(const std::string& fileName);

// Writes every text file into `folder`; stops at the first failure.
FileWriteResult WriteSampleTexts(const std::string& folder);

// Renders the photograph (`samples` × `samples` per pixel) and writes it as
// a baseline JPEG of the given quality into `folder`.
FileWriteResult WriteSamplePicture(const std::string& folder, int samples = 4, int quality = 92);
