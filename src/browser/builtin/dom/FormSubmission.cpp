#include "browser/builtin/dom/FormSubmission.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/ConstraintValidation.h"
#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/FormEncoding.h"
#include "browser/builtin/dom/FormEntryList.h"
#include "browser/builtin/dom/TextCodec.h"
#include "browser/builtin/dom/UrlParsing.h"


namespace dom {
namespace {

enum class Method { Get, Post, Dialog };
enum class Enctype { UrlEncoded, Multipart, TextPlain };

// A submit button's formaction, formmethod, formenctype or formtarget overrides the form's
// attribute of the same name without the "form" prefix.
[[nodiscard]] const QString *submissionAttribute(const Element &form, const Element &submitter, QStringView name)
{
    if (&submitter != &form && isSubmitButton(submitter))
        if (const QString *value = submitter.attribute(QString(QLatin1StringView("form") + name.toString())))
            return value;
    return form.attribute(name);
}

[[nodiscard]] Method methodOf(const QString *text)
{
    const QString method = text ? asciiLowercase(*text) : QString();
    if (method == QLatin1StringView("post"))
        return Method::Post;
    return method == QLatin1StringView("dialog") ? Method::Dialog : Method::Get;
}

[[nodiscard]] Enctype enctypeOf(const QString *text)
{
    const QString enctype = text ? asciiLowercase(*text) : QString();
    if (enctype == QLatin1StringView("multipart/form-data"))
        return Enctype::Multipart;
    return enctype == QLatin1StringView("text/plain") ? Enctype::TextPlain : Enctype::UrlEncoded;
}

// "Pick an encoding for the form": the first usable label of accept-charset, else the
// document's encoding; then as written for output.
[[nodiscard]] QByteArray formEncoding(const Element &form, const DocumentModel &model)
{
    if (const QString *labels = form.attribute(u"accept-charset")) {
        for (const QString &label : splitOnAsciiWhitespace(*labels))
            if (const auto encoding = encodingForLabel(label.toLatin1()))
                return outputEncoding(*encoding);
    }
    return outputEncoding(model.encoding());
}

[[nodiscard]] QUrl withQuery(const QUrl &action, const QByteArray &query)
{
    QByteArray encoded = action.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toEncoded() + '?' + query;
    if (action.hasFragment())
        encoded += '#' + action.fragment(QUrl::FullyEncoded).toLatin1();
    return QUrl::fromEncoded(encoded);
}

struct EncodedBody {
    QByteArray body;
    QByteArray contentType;
};

[[nodiscard]] EncodedBody encodeBody(Enctype enctype, const std::vector<FormEntry> &entries, const QByteArray &encoding)
{
    switch (enctype) {
    case Enctype::Multipart: {
        const QByteArray boundary = newMultipartBoundary();
        return {encodeMultipart(entries, encoding, boundary), "multipart/form-data; boundary=" + boundary};
    }
    case Enctype::TextPlain: return {encodeTextPlain(entries, encoding), "text/plain"};
    case Enctype::UrlEncoded: break;
    }
    return {encodeUrlEncoded(entries, encoding), "application/x-www-form-urlencoded"};
}

// "Mail with headers" and "mail as body" for mailto: actions.
[[nodiscard]] QUrl mailtoUrl(const QUrl &action, Method method, Enctype enctype, const std::vector<FormEntry> &entries,
                             const QByteArray &encoding)
{
    if (method == Method::Get)
        return withQuery(action, encodeUrlEncoded(entries, encoding).replace('+', "%20"));
    const QByteArray body = enctype == Enctype::TextPlain
        ? encodeTextPlain(entries, encoding).toPercentEncoding()
        : encodeUrlEncoded(entries, encoding);
    QByteArray query = action.query(QUrl::FullyEncoded).toLatin1();
    if (!query.isEmpty())
        query += '&';
    return withQuery(action, query + "body=" + body);
}

} // namespace

QString elementTarget(const QString *ownTarget, const DocumentModel &model)
{
    QString target = ownTarget ? *ownTarget : model.baseTarget();
    const bool hasBreak = target.contains(u'\t') || target.contains(u'\n') || target.contains(u'\r');
    if (hasBreak && target.contains(u'<'))
        return QStringLiteral("_blank");
    return target;
}

QUrl documentReferrer(const DocumentModel &model)
{
    const QString scheme = model.url().scheme();
    if (scheme != QLatin1StringView("http") && scheme != QLatin1StringView("https"))
        return {};
    return referrerUrl(model.url());
}

std::optional<NavigationRequest> formSubmission(const Element &form, const Element &submitter, const DocumentModel &model)
{
    // A form outside the document submits nothing.
    if (&treeRoot(form) != &model.tree())
        return std::nullopt;
    // Interactive constraint validation, unless novalidate or formnovalidate says otherwise.
    const bool noValidate = form.hasAttribute(u"novalidate")
        || (&submitter != &form && isSubmitButton(submitter) && submitter.hasAttribute(u"formnovalidate"));
    if (!noValidate && !satisfiesConstraints(form))
        return std::nullopt;
    // The encoding, and the entry list written in it.
    const QByteArray encoding = formEncoding(form, model);
    const std::vector<FormEntry> entries = constructEntryList(form, &submitter, encoding);
    // The action, resolved against the base URL; an empty one is the document's address.
    const QString *actionText = submissionAttribute(form, submitter, u"action");
    std::optional<Url> action = actionText && !actionText->isEmpty() ? model.resolveUrl(*actionText) : model.address();
    if (!action)
        return std::nullopt;
    const Enctype enctype = enctypeOf(submissionAttribute(form, submitter, u"enctype"));
    const Method method = methodOf(submissionAttribute(form, submitter, u"method"));
    if (method == Method::Dialog)
        return std::nullopt;
    NavigationRequest request;
    request.target = elementTarget(submissionAttribute(form, submitter, u"target"), model);
    request.referrer = documentReferrer(model);
    request.initiator = model.url();
    // What the action's scheme and the method do with the data.
    const QString &scheme = action->scheme;
    if (scheme == u"javascript")
        return std::nullopt;
    if (scheme == u"mailto") {
        request.url = mailtoUrl(toQUrl(*action), method, enctype, entries, encoding);
    } else if (method == Method::Get) {
        // "Mutate action URL": the query is the form's data, whatever the action's was.
        action->query = QString::fromLatin1(encodeUrlEncoded(entries, encoding));
        setRequestUrl(request, *action);
    } else if (scheme == u"http" || scheme == u"https") {
        setRequestUrl(request, *action);
        request.method = "POST";
        EncodedBody body = encodeBody(enctype, entries, encoding);
        request.body = std::move(body.body);
        request.contentType = std::move(body.contentType);
    } else {
        request.url = toQUrl(*action);
    }
    return request;
}

} // namespace dom
