#include "compressvalues.h"

#include "programsettings.h"
#include "queueitem.h"

TCompressValues TCompressValues::From(const ProgramSettings& s)
{
    TCompressValues v;
    v.Frequency = s.Frequency;
    v.Mode = s.Mode;
    v.Quality = s.Quality;
    v.KeepFreq = s.KeepFreq;
    v.ABitrate = s.ABitrate;
    v.Algorithm = s.Algorithm;
    v.MinBitrate = s.MinBitrate;
    v.MaxBitrate = s.MaxBitrate;
    v.VBRQuality = s.VBRQuality;
    v.VBRNew = s.VBRNew;
    v.Copyrighted = s.Copyrighted;
    v.NonOriginal = s.NonOriginal;
    v.CRCs = s.CRCs;
    v.ExtraOptions = s.ExtraOptions;
    return v;
}

TCompressValues TCompressValues::From(const TQueueItem& job)
{
    TCompressValues v;
    v.Frequency = job.Frequency();
    v.Mode = job.Mode();
    v.Quality = job.Quality();
    v.KeepFreq = job.KeepFreq();
    v.ABitrate = job.ABitrate();
    v.Algorithm = job.Algorithm();
    v.MinBitrate = job.MinBitrate();
    v.MaxBitrate = job.MaxBitrate();
    v.VBRQuality = job.VBRQuality();
    v.VBRNew = job.VBRNew();
    v.Copyrighted = job.Copyrighted();
    v.NonOriginal = job.NonOriginal();
    v.CRCs = job.CRCs();
    v.ExtraOptions = job.ExtraOptions();
    return v;
}

void TCompressValues::StoreTo(ProgramSettings& s) const
{
    s.Frequency = Frequency;
    s.Mode = Mode;
    s.Quality = Quality;
    s.KeepFreq = KeepFreq;
    s.ABitrate = ABitrate;
    s.Algorithm = Algorithm;
    s.MinBitrate = MinBitrate;
    s.MaxBitrate = MaxBitrate;
    s.VBRQuality = VBRQuality;
    s.VBRNew = VBRNew;
    s.Copyrighted = Copyrighted;
    s.NonOriginal = NonOriginal;
    s.CRCs = CRCs;
    s.ExtraOptions = ExtraOptions;
}

void TCompressValues::StoreTo(TQueueItem& job) const
{
    job.SetFrequency(Frequency);
    job.SetMode(Mode);
    job.SetQuality(Quality);
    job.SetKeepFreq(KeepFreq);
    job.SetABitrate(ABitrate);
    job.SetAlgorithm(Algorithm);
    job.SetMinBitrate(MinBitrate);
    job.SetMaxBitrate(MaxBitrate);
    job.SetVBRQuality(VBRQuality);
    job.SetVBRNew(VBRNew);
    job.SetCopyrighted(Copyrighted);
    job.SetNonOriginal(NonOriginal);
    job.SetCRCs(CRCs);
    job.SetExtraOptions(ExtraOptions);
}
